<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>DialogWarning</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>exit</name>
    <message>
        <source>Switching off...</source>
        <translation>Arrêt en cours...</translation>
    </message>
    <message>
        <source>Switch the instrument off?</source>
        <translation>Éteindre l'appareil ?</translation>
    </message>
    <message>
        <source>YES</source>
        <translation>OUI</translation>
    </message>
    <message>
        <source>NO</source>
        <translation>NON</translation>
    </message>
</context>
<context>
    <name>main_menu</name>
    <message>
        <source>S/N</source>
        <translation>N/S</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Modèle</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
</context>
<context>
    <name>screens</name>
    <message>
        <source>MAIN MENU</source>
        <translation>MENU PRINCIPAL</translation>
    </message>
    <message>
        <source>POWER OFF</source>
        <translation>ARRÊT</translation>
    </message>
    <message>
        <source>CABLE MODEM→REGISTERING</source>
        <translation>MODEM CÂBLE→ENREGISTREMENT</translation>
    </message>
    <message>
        <source>REGISTERING</source>
        <translation>ENREGISTREMENT</translation>
    </message>
    <message>
        <source>CABLE MODEM→RANGING</source>
        <translation>MODEM CÂBLE→RANGING</translation>
    </message>
    <message>
        <source>RANGING</source>
        <translation>RANGING</translation>
    </message>
    <message>
        <source>CHANNEL SCAN</source>
        <translation>BALAYAGE DES CANAUX</translation>
    </message>
    <message>
        <source>OFDM DOWNSTREAM</source>
        <translation>OFDM DESCENDANT</translation>
    </message>
    <message>
        <source>CABLE MODEM→SCAN</source>
        <translation>MODEM CÂBLE→BALAYAGE</translation>
    </message>
    <message>
        <source>CM SCAN</source>
        <translation>BALAYAGE CM</translation>
    </message>
    <message>
        <source>CM SCAN OPTICAL</source>
        <translation>BALAYAGE CM OPTIQUE</translation>
    </message>
    <message>
        <source>UPSTREAM GENERATOR</source>
        <translation>GÉNÉRATEUR MONTANT</translation>
    </message>
    <message>
        <source>UPSTREAM</source>
        <translation>MONTANT</translation>
    </message>
    <message>
        <source>UPSTREAM RF</source>
        <translation>MONTANT RF</translation>
    </message>
    <message>
        <source>UPSTREAM OPTIC</source>
        <translation>MONTANT OPTIQUE</translation>
    </message>
    <message>
        <source>EXTERNAL CM / UPSTREAM</source>
        <translation>CM EXTERNE / MONTANT</translation>
    </message>
    <message>
        <source>CABLE MODEM→VoIP TEST</source>
        <translation>MODEM CÂBLE→TEST VoIP</translation>
    </message>
    <message>
        <source>VoIP TEST</source>
        <translation>TEST VoIP</translation>
    </message>
    <message>
        <source>CABLE MODEM→IPTV TEST</source>
        <translation>MODEM CÂBLE→TEST IPTV</translation>
    </message>
    <message>
        <source>IPTV TEST</source>
        <translation>TEST IPTV</translation>
    </message>
</context>
<context>
    <name>BotonToolbarClear</name>
    <message>
        <source>CLR</source>
        <translation>EFFACER</translation>
    </message>
</context>
<context>
    <name>BotonToolbarRangingAnalyzer</name>
    <message>
        <source>RANGING</source>
        <translation>RANGING</translation>
    </message>
</context>
<context>
    <name>ConstellationMenu31</name>
    <message>
        <source>CONSTELLATION</source>
        <translation>CONSTELLATION</translation>
    </message>
    <message>
        <source>No second OFDM channel</source>
        <translation>Pas de second canal OFDM</translation>
    </message>
    <message>
        <source>No OFDM channel</source>
        <translation>Pas de canal OFDM</translation>
    </message>
</context>
<context>
    <name>DialogAttCM</name>
    <message>
        <source>Att CM</source>
        <translation>Atténuateur CM</translation>
    </message>
</context>
<context>
    <name>DialogCMInformation</name>
    <message>
        <source>CM information</source>
        <translation>Informations CM</translation>
    </message>
    <message>
        <source>MAC Address:</source>
        <translation>Adresse MAC :</translation>
    </message>
    <message>
        <source>SW MODEM:</source>
        <translation>LOGICIEL MODEM :</translation>
    </message>
</context>
<context>
    <name>DialogCodec</name>
    <message>
        <source>Codec</source>
        <translation>Codec</translation>
    </message>
</context>
<context>
    <name>DialogModulation</name>
    <message>
        <source>Modulation</source>
        <translation>Modulation</translation>
    </message>
</context>
<context>
    <name>DialogOfdmDs</name>
    <message>
        <source>OFDM DS</source>
        <translation>OFDM DS</translation>
    </message>
</context>
<context>
    <name>DialogRanging</name>
    <message>
        <source>Ranging</source>
        <translation>Ranging</translation>
    </message>
</context>
<context>
    <name>DialogSettingNumber</name>
    <message>
        <source>Enable</source>
        <translation>Activer</translation>
    </message>
</context>
<context>
    <name>DialogStartLogger</name>
    <message>
        <source>DATA LOGGER</source>
        <translation>ENREGISTREUR</translation>
    </message>
    <message>
        <source>The data logger could not be saved.</source>
        <translation>L'enregistrement n'a pas pu être sauvegardé.</translation>
    </message>
    <message>
        <source>Data logger saved:</source>
        <translation>Enregistrement sauvegardé :</translation>
    </message>
    <message>
        <source>Save the results on show as a data logger?</source>
        <translation>Sauvegarder les résultats affichés comme enregistrement ?</translation>
    </message>
    <message>
        <source>Nothing has been measured yet: no data logger was saved.</source>
        <translation>Rien n'a encore été mesuré : aucun enregistrement n'a été sauvegardé.</translation>
    </message>
</context>
<context>
    <name>DialogSymbolRate</name>
    <message>
        <source>Symbol rate</source>
        <translation>Débit de symboles</translation>
    </message>
</context>
<context>
    <name>DialogUnits</name>
    <message>
        <source>Units</source>
        <translation>Unités</translation>
    </message>
</context>
<context>
    <name>Dialogo</name>
    <message>
        <source>DONE</source>
        <translation>VALIDER</translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation>ANNULER</translation>
    </message>
</context>
<context>
    <name>DisplayMedidas</name>
    <message>
        <source>PWR</source>
        <translation>NIV</translation>
    </message>
</context>
<context>
    <name>IpTestPanel</name>
    <message>
        <source>The IP address needs four numbers from 0 to 255.</source>
        <translation>L'adresse IP demande quatre nombres de 0 à 255.</translation>
    </message>
    <message>
        <source>IP ADDRESS:</source>
        <translation>ADRESSE IP :</translation>
    </message>
    <message>
        <source>STOP</source>
        <translation>ARRÊT</translation>
    </message>
    <message>
        <source>SEND</source>
        <translation>ENVOYER</translation>
    </message>
    <message>
        <source>Sending</source>
        <translation>Envoi</translation>
    </message>
</context>
<context>
    <name>NumericKeyboard</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation>ANNULER</translation>
    </message>
</context>
<context>
    <name>RangingMenu_31</name>
    <message>
        <source>System</source>
        <translation>Système</translation>
    </message>
    <message>
        <source>Symbol Rate</source>
        <translation>Débit symb.</translation>
    </message>
    <message>
        <source>Modulation</source>
        <translation>Modulation</translation>
    </message>
    <message>
        <source>Interleaver</source>
        <translation>Entrelaceur</translation>
    </message>
    <message>
        <source>Offset</source>
        <translation>Décalage</translation>
    </message>
    <message>
        <source>Frequency PLC</source>
        <translation>Fréquence PLC</translation>
    </message>
    <message>
        <source>FFT size</source>
        <translation>Taille FFT</translation>
    </message>
    <message>
        <source>PLC MER</source>
        <translation>MER PLC</translation>
    </message>
    <message>
        <source>Active Carriers</source>
        <translation>Porteuses actives</translation>
    </message>
    <message>
        <source>NCP Modulation</source>
        <translation>Modulation NCP</translation>
    </message>
    <message>
        <source>Time Interleave</source>
        <translation>Entrelac. temps</translation>
    </message>
    <message>
        <source>Spacing</source>
        <translation>Espacement</translation>
    </message>
    <message>
        <source>Frequency</source>
        <translation>Fréquence</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>Débit</translation>
    </message>
    <message>
        <source>Bandwidth</source>
        <translation>Largeur bande</translation>
    </message>
    <message>
        <source>Power</source>
        <translation>Niveau</translation>
    </message>
    <message>
        <source>Attenuation</source>
        <translation>Atténuation</translation>
    </message>
    <message>
        <source>DOWNSTREAM</source>
        <translation>DESCENDANT</translation>
    </message>
    <message>
        <source>UPSTREAM</source>
        <translation>MONTANT</translation>
    </message>
</context>
<context>
    <name>TableRegistering_31</name>
    <message>
        <source>SR ksymps</source>
        <translation>SR ksym/s</translation>
    </message>
    <message>
        <source>F. MHz</source>
        <translation>F. MHz</translation>
    </message>
    <message>
        <source>PWR</source>
        <translation>NIV</translation>
    </message>
    <message>
        <source>MER dB</source>
        <translation>MER dB</translation>
    </message>
    <message>
        <source>ATT dB</source>
        <translation>ATT dB</translation>
    </message>
</context>
<context>
    <name>ToolbarDownIptest</name>
    <message>
        <source>REGISTERING</source>
        <translation>ENREGISTREMENT</translation>
    </message>
    <message>
        <source>SPEED</source>
        <translation>DÉBIT</translation>
    </message>
</context>
<context>
    <name>ToolbarDownRegistering</name>
    <message>
        <source>BACK</source>
        <translation>RETOUR</translation>
    </message>
    <message>
        <source>SPEED</source>
        <translation>DÉBIT</translation>
    </message>
</context>
<context>
    <name>ToolbarDownScan31</name>
    <message>
        <source>CLR IQ</source>
        <translation>EFFACER IQ</translation>
    </message>
</context>
<context>
    <name>ToolbarDownUpStream</name>
    <message>
        <source>SPEED</source>
        <translation>DÉBIT</translation>
    </message>
</context>
<context>
    <name>ToolbarDownUpstreamTest</name>
    <message>
        <source>MAIN MENU</source>
        <translation>MENU PRINCIPAL</translation>
    </message>
</context>
<context>
    <name>ToolbarDownVoIP</name>
    <message>
        <source>REGISTERING</source>
        <translation>ENREGISTREMENT</translation>
    </message>
    <message>
        <source>IP TV</source>
        <translation>IP TV</translation>
    </message>
    <message>
        <source>SPEED</source>
        <translation>DÉBIT</translation>
    </message>
</context>
<context>
    <name>cablemodem</name>
    <message>
        <source>Bandwidth</source>
        <translation>Largeur bande</translation>
    </message>
    <message>
        <source>Subcarrier</source>
        <translation>Sous-porteuse</translation>
    </message>
    <message>
        <source>Ripple RMS</source>
        <translation>Ondulation RMS</translation>
    </message>
    <message>
        <source>ICFR</source>
        <translation>ICFR</translation>
    </message>
    <message>
        <source>MER Std dev/Pctl</source>
        <translation>MER écart/pctl</translation>
    </message>
    <message>
        <source>Frequency</source>
        <translation>Fréquence</translation>
    </message>
    <message>
        <source>Power</source>
        <translation>Niveau</translation>
    </message>
    <message>
        <source>MER</source>
        <translation>MER</translation>
    </message>
    <message>
        <source>Modulation</source>
        <translation>Modulation</translation>
    </message>
    <message>
        <source>C-CWE</source>
        <translation>C-CWE</translation>
    </message>
    <message>
        <source>U-CWE</source>
        <translation>U-CWE</translation>
    </message>
    <message>
        <source>NCP</source>
        <translation>NCP</translation>
    </message>
    <message>
        <source>PROFILE A</source>
        <translation>PROFIL A</translation>
    </message>
    <message>
        <source>PROFILE B</source>
        <translation>PROFIL B</translation>
    </message>
    <message>
        <source>PROFILE C</source>
        <translation>PROFIL C</translation>
    </message>
    <message>
        <source>PROFILE D</source>
        <translation>PROFIL D</translation>
    </message>
    <message>
        <source>Charge DOCSIS CABLE MODEM APP</source>
        <translation>Chargez l'application DOCSIS CABLE MODEM</translation>
    </message>
</context>
<context>
    <name>downstream_scan_demod_31</name>
    <message>
        <source>Units</source>
        <translation>Unités</translation>
    </message>
    <message>
        <source>Att CM</source>
        <translation>Atténuateur CM</translation>
    </message>
    <message>
        <source>OFDM DS</source>
        <translation>OFDM DS</translation>
    </message>
    <message>
        <source>PWR AVG</source>
        <translation>NIV MOY</translation>
    </message>
    <message>
        <source>PROFILES</source>
        <translation>PROFILS</translation>
    </message>
</context>
<context>
    <name>ipTv</name>
    <message>
        <source>Enable RTPS</source>
        <translation>Activer RTPS</translation>
    </message>
    <message>
        <source>Nominal polling interval</source>
        <translation>Intervalle nominal d'interrogation</translation>
    </message>
    <message>
        <source>Node Id:</source>
        <translation>Nœud :</translation>
    </message>
    <message>
        <source>IP address:</source>
        <translation>Adresse IP :</translation>
    </message>
    <message>
        <source>Latency:</source>
        <translation>Latence :</translation>
    </message>
    <message>
        <source>Jitter:</source>
        <translation>Gigue :</translation>
    </message>
</context>
<context>
    <name>ranging_31</name>
    <message>
        <source>Units</source>
        <translation>Unités</translation>
    </message>
    <message>
        <source>Att CM</source>
        <translation>Atténuateur CM</translation>
    </message>
    <message>
        <source>OFDM DS</source>
        <translation>OFDM DS</translation>
    </message>
    <message>
        <source>CM Information</source>
        <translation>Informations CM</translation>
    </message>
    <message>
        <source>Frequency</source>
        <translation>Fréquence</translation>
    </message>
</context>
<context>
    <name>registering_31</name>
    <message>
        <source>Speed bits/s</source>
        <translation>Débit bits/s</translation>
    </message>
    <message>
        <source>Units</source>
        <translation>Unités</translation>
    </message>
    <message>
        <source>Att CM</source>
        <translation>Atténuateur CM</translation>
    </message>
    <message>
        <source>CM Information</source>
        <translation>Informations CM</translation>
    </message>
    <message>
        <source>OFDM DOWNSTREAM</source>
        <translation>OFDM DESCENDANT</translation>
    </message>
    <message>
        <source>Profiles</source>
        <translation>Profils</translation>
    </message>
    <message>
        <source>BONDING DOWNSTREAM</source>
        <translation>BONDING DESCENDANT</translation>
    </message>
    <message>
        <source>OFDM UPSTREAM</source>
        <translation>OFDM MONTANT</translation>
    </message>
    <message>
        <source>BONDING UPSTREAM</source>
        <translation>BONDING MONTANT</translation>
    </message>
    <message>
        <source>IP REPORT</source>
        <translation>RAPPORT IP</translation>
    </message>
</context>
<context>
    <name>scan_constellation31_cm</name>
    <message>
        <source>Units</source>
        <translation>Unités</translation>
    </message>
    <message>
        <source>Att CM</source>
        <translation>Atténuateur CM</translation>
    </message>
    <message>
        <source>No channels</source>
        <translation>Aucun canal</translation>
    </message>
</context>
<context>
    <name>up_stream</name>
    <message>
        <source>Units</source>
        <translation>Unités</translation>
    </message>
    <message>
        <source>Max hold</source>
        <translation>Maintien max</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>NON</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>OUI</translation>
    </message>
    <message>
        <source>Min hold</source>
        <translation>Maintien min</translation>
    </message>
    <message>
        <source>GENERATOR</source>
        <translation>GÉNÉRATEUR</translation>
    </message>
    <message>
        <source>MAIN MENU</source>
        <translation>MENU PRINCIPAL</translation>
    </message>
</context>
<context>
    <name>upstream_test</name>
    <message>
        <source>DOCSIS mode</source>
        <translation>Mode DOCSIS</translation>
    </message>
    <message>
        <source>Frequency mode</source>
        <translation>Mode de fréquence</translation>
    </message>
    <message>
        <source>Start frequency</source>
        <translation>Fréquence de début</translation>
    </message>
    <message>
        <source>Frequency</source>
        <translation>Fréquence</translation>
    </message>
    <message>
        <source>Stop frequency</source>
        <translation>Fréquence de fin</translation>
    </message>
    <message>
        <source>Level</source>
        <translation>Niveau</translation>
    </message>
    <message>
        <source>Modulation</source>
        <translation>Modulation</translation>
    </message>
    <message>
        <source>Symbol rate</source>
        <translation>Débit de symboles</translation>
    </message>
    <message>
        <source>RF
OUTPUT</source>
        <translation>SORTIE
RF</translation>
    </message>
</context>
<context>
    <name>voIP</name>
    <message>
        <source>Ping data length</source>
        <translation>Longueur des données ping</translation>
    </message>
    <message>
        <source>Ping number</source>
        <translation>Nombre de pings</translation>
    </message>
    <message>
        <source>Unsolicited grant size</source>
        <translation>Taille d'allocation UGS</translation>
    </message>
    <message>
        <source>Grants per interval</source>
        <translation>Allocations par intervalle</translation>
    </message>
    <message>
        <source>Nominal Grant Interval</source>
        <translation>Intervalle nominal d'allocation</translation>
    </message>
    <message>
        <source>Tolerated grant Jitter</source>
        <translation>Gigue d'allocation tolérée</translation>
    </message>
    <message>
        <source>Codec</source>
        <translation>Codec</translation>
    </message>
    <message>
        <source>Latency</source>
        <translation>Latence</translation>
    </message>
    <message>
        <source>Jitter</source>
        <translation>Gigue</translation>
    </message>
    <message>
        <source>R Value:</source>
        <translation>Valeur R :</translation>
    </message>
</context>
<context>
    <name>MesuraCM</name>
    <message>
        <source>Start CM IQ</source>
        <translation>Début IQ du CM</translation>
    </message>
    <message>
        <source>Stop CM IQ</source>
        <translation>Fin IQ du CM</translation>
    </message>
    <message>
        <source>DS demod process</source>
        <translation>Démodulation DS en cours</translation>
    </message>
    <message>
        <source>Time OUT</source>
        <translation>Délai dépassé</translation>
    </message>
    <message>
        <source> of </source>
        <translation> sur </translation>
    </message>
    <message>
        <source>Start Ranging CM</source>
        <translation>Début du ranging du CM</translation>
    </message>
    <message>
        <source>Waiting for CM registration</source>
        <translation>Attente de l’enregistrement du CM</translation>
    </message>
    <message>
        <source>Restarting CM</source>
        <translation>Redémarrage du CM</translation>
    </message>
    <message>
        <source>Restarting CM in test mode</source>
        <translation>Redémarrage du CM en mode test</translation>
    </message>
    <message>
        <source>No SC-QAM channel at %1 MHz</source>
        <translation>Aucun canal SC-QAM à %1 MHz</translation>
    </message>
    <message>
        <source>Change the frequency on RANGING</source>
        <translation>Changez la fréquence dans RANGING</translation>
    </message>
    <message>
        <source>Start Registering CM</source>
        <translation>Début de l'enregistrement du CM</translation>
    </message>
    <message>
        <source>Registering decoding DOWN</source>
        <translation>Enregistrement : décodage DESCENDANT</translation>
    </message>
    <message>
        <source>Registering decoding UP</source>
        <translation>Enregistrement : décodage MONTANT</translation>
    </message>
    <message>
        <source>Getting IP CM</source>
        <translation>Obtention de l'IP du CM</translation>
    </message>
    <message>
        <source>Ranging decoding DOWN</source>
        <translation>Ranging : décodage DESCENDANT</translation>
    </message>
    <message>
        <source>Ranging decoding UP</source>
        <translation>Ranging : décodage MONTANT</translation>
    </message>
    <message>
        <source>Decoding UP/DOWN CM</source>
        <translation>Décodage MONT/DESC du CM</translation>
    </message>
    <message>
        <source>Node</source>
        <translation>Nœud</translation>
    </message>
</context>
</TS>
