// The engine's blocking exchange with the modem and its reply readers.
#include "mesuraCM.h"

#include "cablemodem/modemExchange.h"

int MesuraCM::envia_cadena_modem(QString command, QString marker, unsigned long long timeoutMs)
{
    SetCadenaAnalitzar1(marker);
    sendCommandCableModem(command);
    const uint64_t start = modemTicksMs();
    waitModemReply(start, timeoutMs, [] { return GetCondicio1(); }, [this] { return !isNonStopMesures(); });
    return GetCondicio1() ? 1 : 0;
}

int MesuraCM::envia_cadena_modem(QString command) { return envia_cadena_modem(command, QStringLiteral("\n"), 100); }

QString MesuraCM::buscarStringRetornaValor(QString label, QString text) { return valueAfterLabel(label, text); }

QVariantMap MesuraCM::buscarListaStringRetornaValores(QStringList labels, QString text)
{
    return valuesAfterLabels(labels, text);
}

QString MesuraCM::extraer_dadas(QString text, QString from, QString to) { return textBetween(text, from, to); }

bool MesuraCM::isTextInCadena(QString text, QString part) { return text.contains(part); }
