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

QString MesuraCM::buscarStringRetornaValor(QString label, QString text)
{
    const int at = text.indexOf(label);
    if (at < 0)
        return QString();
    const QString rest = text.mid(at + label.size());
    const int lineEnd = rest.indexOf('\n');
    if (lineEnd > 0)
        return rest.left(lineEnd).simplified();
    return rest;
}

QVariantMap MesuraCM::buscarListaStringRetornaValores(QStringList labels, QString text)
{
    QVariantMap values;
    for (const QString& label : labels) {
        const QString value = buscarStringRetornaValor(label, text);
        if (!value.isEmpty())
            values.insert(label, value);
    }
    return values;
}

QString MesuraCM::extraer_dadas(QString text, QString from, QString to)
{
    const int at = text.indexOf(from);
    if (at < 0)
        return QString();
    const QString rest = text.mid(at + from.size());
    const int end = rest.indexOf(to);
    return end < 0 ? QString() : rest.left(end);
}

bool MesuraCM::isTextInCadena(QString text, QString part) { return text.contains(part); }
