<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
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
        <translation>Wird ausgeschaltet...</translation>
    </message>
    <message>
        <source>Switch the instrument off?</source>
        <translation>Gerät ausschalten?</translation>
    </message>
    <message>
        <source>YES</source>
        <translation>JA</translation>
    </message>
    <message>
        <source>NO</source>
        <translation>NEIN</translation>
    </message>
</context>
<context>
    <name>main_menu</name>
    <message>
        <source>S/N</source>
        <translation>S/N</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Modell</translation>
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
        <translation>HAUPTMENÜ</translation>
    </message>
    <message>
        <source>POWER OFF</source>
        <translation>AUSSCHALTEN</translation>
    </message>
    <message>
        <source>CABLE MODEM→REGISTERING</source>
        <translation>KABELMODEM→REGISTRIERUNG</translation>
    </message>
    <message>
        <source>REGISTERING</source>
        <translation>REGISTRIERUNG</translation>
    </message>
    <message>
        <source>CABLE MODEM→RANGING</source>
        <translation>KABELMODEM→RANGING</translation>
    </message>
    <message>
        <source>RANGING</source>
        <translation>RANGING</translation>
    </message>
    <message>
        <source>CHANNEL SCAN</source>
        <translation>KANALSUCHLAUF</translation>
    </message>
    <message>
        <source>OFDM DOWNSTREAM</source>
        <translation>OFDM VORWÄRTSWEG</translation>
    </message>
    <message>
        <source>CABLE MODEM→SCAN</source>
        <translation>KABELMODEM→SUCHLAUF</translation>
    </message>
    <message>
        <source>CM SCAN</source>
        <translation>CM-SUCHLAUF</translation>
    </message>
    <message>
        <source>CM SCAN OPTICAL</source>
        <translation>CM-SUCHLAUF OPTISCH</translation>
    </message>
    <message>
        <source>UPSTREAM GENERATOR</source>
        <translation>RÜCKWEG-GENERATOR</translation>
    </message>
    <message>
        <source>UPSTREAM</source>
        <translation>RÜCKWEG</translation>
    </message>
    <message>
        <source>UPSTREAM RF</source>
        <translation>RÜCKWEG HF</translation>
    </message>
    <message>
        <source>UPSTREAM OPTIC</source>
        <translation>RÜCKWEG OPTISCH</translation>
    </message>
    <message>
        <source>EXTERNAL CM / UPSTREAM</source>
        <translation>EXTERNES CM / RÜCKWEG</translation>
    </message>
    <message>
        <source>CABLE MODEM→VoIP TEST</source>
        <translation>KABELMODEM→VoIP-TEST</translation>
    </message>
    <message>
        <source>VoIP TEST</source>
        <translation>VoIP-TEST</translation>
    </message>
    <message>
        <source>CABLE MODEM→IPTV TEST</source>
        <translation>KABELMODEM→IPTV-TEST</translation>
    </message>
    <message>
        <source>IPTV TEST</source>
        <translation>IPTV-TEST</translation>
    </message>
</context>
<context>
    <name>BotonToolbarClear</name>
    <message>
        <source>CLR</source>
        <translation>LÖSCHEN</translation>
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
        <translation>KONSTELLATION</translation>
    </message>
    <message>
        <source>No second OFDM channel</source>
        <translation>Kein zweiter OFDM-Kanal</translation>
    </message>
    <message>
        <source>No OFDM channel</source>
        <translation>Kein OFDM-Kanal</translation>
    </message>
</context>
<context>
    <name>DialogAttCM</name>
    <message>
        <source>Att CM</source>
        <translation>Dämpfung CM</translation>
    </message>
</context>
<context>
    <name>DialogCMInformation</name>
    <message>
        <source>CM information</source>
        <translation>CM-Informationen</translation>
    </message>
    <message>
        <source>MAC Address:</source>
        <translation>MAC-Adresse:</translation>
    </message>
    <message>
        <source>SW MODEM:</source>
        <translation>MODEM-SOFTWARE:</translation>
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
        <translation>Aktivieren</translation>
    </message>
</context>
<context>
    <name>DialogStartLogger</name>
    <message>
        <source>DATA LOGGER</source>
        <translation>DATENLOGGER</translation>
    </message>
    <message>
        <source>The data logger could not be saved.</source>
        <translation>Der Datenlogger konnte nicht gespeichert werden.</translation>
    </message>
    <message>
        <source>Data logger saved:</source>
        <translation>Datenlogger gespeichert:</translation>
    </message>
    <message>
        <source>Save the results on show as a data logger?</source>
        <translation>Die angezeigten Ergebnisse als Datenlogger speichern?</translation>
    </message>
    <message>
        <source>Nothing has been measured yet: no data logger was saved.</source>
        <translation>Noch nichts gemessen: Es wurde kein Datenlogger gespeichert.</translation>
    </message>
</context>
<context>
    <name>DialogSymbolRate</name>
    <message>
        <source>Symbol rate</source>
        <translation>Symbolrate</translation>
    </message>
</context>
<context>
    <name>DialogUnits</name>
    <message>
        <source>Units</source>
        <translation>Einheiten</translation>
    </message>
</context>
<context>
    <name>Dialogo</name>
    <message>
        <source>DONE</source>
        <translation>FERTIG</translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation>ABBRECHEN</translation>
    </message>
</context>
<context>
    <name>DisplayMedidas</name>
    <message>
        <source>PWR</source>
        <translation>PEGEL</translation>
    </message>
</context>
<context>
    <name>IpTestPanel</name>
    <message>
        <source>The IP address needs four numbers from 0 to 255.</source>
        <translation>Die IP-Adresse braucht vier Zahlen von 0 bis 255.</translation>
    </message>
    <message>
        <source>IP ADDRESS:</source>
        <translation>IP-ADRESSE:</translation>
    </message>
    <message>
        <source>STOP</source>
        <translation>STOPP</translation>
    </message>
    <message>
        <source>SEND</source>
        <translation>SENDEN</translation>
    </message>
    <message>
        <source>Sending</source>
        <translation>Senden</translation>
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
        <translation>ABBRECHEN</translation>
    </message>
</context>
<context>
    <name>RangingMenu_31</name>
    <message>
        <source>System</source>
        <translation>System</translation>
    </message>
    <message>
        <source>Symbol Rate</source>
        <translation>Symbolrate</translation>
    </message>
    <message>
        <source>Modulation</source>
        <translation>Modulation</translation>
    </message>
    <message>
        <source>Interleaver</source>
        <translation>Verschachtelung</translation>
    </message>
    <message>
        <source>Offset</source>
        <translation>Versatz</translation>
    </message>
    <message>
        <source>Frequency PLC</source>
        <translation>Frequenz PLC</translation>
    </message>
    <message>
        <source>FFT size</source>
        <translation>FFT-Größe</translation>
    </message>
    <message>
        <source>PLC MER</source>
        <translation>PLC-MER</translation>
    </message>
    <message>
        <source>Active Carriers</source>
        <translation>Aktive Träger</translation>
    </message>
    <message>
        <source>NCP Modulation</source>
        <translation>NCP-Modulation</translation>
    </message>
    <message>
        <source>Time Interleave</source>
        <translation>Zeitverschachtelung</translation>
    </message>
    <message>
        <source>Spacing</source>
        <translation>Abstand</translation>
    </message>
    <message>
        <source>Frequency</source>
        <translation>Frequenz</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>Rate</translation>
    </message>
    <message>
        <source>Bandwidth</source>
        <translation>Bandbreite</translation>
    </message>
    <message>
        <source>Power</source>
        <translation>Pegel</translation>
    </message>
    <message>
        <source>Attenuation</source>
        <translation>Dämpfung</translation>
    </message>
    <message>
        <source>DOWNSTREAM</source>
        <translation>VORWÄRTSWEG</translation>
    </message>
    <message>
        <source>UPSTREAM</source>
        <translation>RÜCKWEG</translation>
    </message>
</context>
<context>
    <name>TableRegistering_31</name>
    <message>
        <source>SR ksymps</source>
        <translation>SR kSym/s</translation>
    </message>
    <message>
        <source>F. MHz</source>
        <translation>F. MHz</translation>
    </message>
    <message>
        <source>PWR</source>
        <translation>Pegel</translation>
    </message>
    <message>
        <source>MER dB</source>
        <translation>MER dB</translation>
    </message>
    <message>
        <source>ATT dB</source>
        <translation>Dämpf. dB</translation>
    </message>
</context>
<context>
    <name>ToolbarDownIptest</name>
    <message>
        <source>REGISTERING</source>
        <translation>REGISTRIERUNG</translation>
    </message>
    <message>
        <source>SPEED</source>
        <translation>DATENRATE</translation>
    </message>
</context>
<context>
    <name>ToolbarDownRegistering</name>
    <message>
        <source>BACK</source>
        <translation>ZURÜCK</translation>
    </message>
    <message>
        <source>SPEED</source>
        <translation>DATENRATE</translation>
    </message>
</context>
<context>
    <name>ToolbarDownScan31</name>
    <message>
        <source>CLR IQ</source>
        <translation>IQ LÖSCHEN</translation>
    </message>
</context>
<context>
    <name>ToolbarDownUpStream</name>
    <message>
        <source>SPEED</source>
        <translation>DATENRATE</translation>
    </message>
</context>
<context>
    <name>ToolbarDownUpstreamTest</name>
    <message>
        <source>MAIN MENU</source>
        <translation>HAUPTMENÜ</translation>
    </message>
</context>
<context>
    <name>ToolbarDownVoIP</name>
    <message>
        <source>REGISTERING</source>
        <translation>REGISTRIERUNG</translation>
    </message>
    <message>
        <source>IP TV</source>
        <translation>IP TV</translation>
    </message>
    <message>
        <source>SPEED</source>
        <translation>DATENRATE</translation>
    </message>
</context>
<context>
    <name>cablemodem</name>
    <message>
        <source>Bandwidth</source>
        <translation>Bandbreite</translation>
    </message>
    <message>
        <source>Subcarrier</source>
        <translation>Unterträger</translation>
    </message>
    <message>
        <source>Ripple RMS</source>
        <translation>Welligkeit RMS</translation>
    </message>
    <message>
        <source>ICFR</source>
        <translation>ICFR</translation>
    </message>
    <message>
        <source>MER Std dev/Pctl</source>
        <translation>MER Stdabw./Pztl</translation>
    </message>
    <message>
        <source>Frequency</source>
        <translation>Frequenz</translation>
    </message>
    <message>
        <source>Power</source>
        <translation>Pegel</translation>
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
        <translation>Laden Sie die Anwendung DOCSIS CABLE MODEM</translation>
    </message>
</context>
<context>
    <name>downstream_scan_demod_31</name>
    <message>
        <source>Units</source>
        <translation>Einheiten</translation>
    </message>
    <message>
        <source>Att CM</source>
        <translation>Dämpfung CM</translation>
    </message>
    <message>
        <source>OFDM DS</source>
        <translation>OFDM DS</translation>
    </message>
    <message>
        <source>PWR AVG</source>
        <translation>PEGEL MITTEL</translation>
    </message>
    <message>
        <source>PROFILES</source>
        <translation>PROFILE</translation>
    </message>
</context>
<context>
    <name>ipTv</name>
    <message>
        <source>Enable RTPS</source>
        <translation>RTPS aktivieren</translation>
    </message>
    <message>
        <source>Nominal polling interval</source>
        <translation>Nominales Abfrageintervall</translation>
    </message>
    <message>
        <source>Node Id:</source>
        <translation>Knoten:</translation>
    </message>
    <message>
        <source>IP address:</source>
        <translation>IP-Adresse:</translation>
    </message>
    <message>
        <source>Latency:</source>
        <translation>Latenz:</translation>
    </message>
    <message>
        <source>Jitter:</source>
        <translation>Jitter:</translation>
    </message>
</context>
<context>
    <name>ranging_31</name>
    <message>
        <source>Units</source>
        <translation>Einheiten</translation>
    </message>
    <message>
        <source>Att CM</source>
        <translation>Dämpfung CM</translation>
    </message>
    <message>
        <source>OFDM DS</source>
        <translation>OFDM DS</translation>
    </message>
    <message>
        <source>CM Information</source>
        <translation>CM-Informationen</translation>
    </message>
    <message>
        <source>Frequency</source>
        <translation>Frequenz</translation>
    </message>
</context>
<context>
    <name>registering_31</name>
    <message>
        <source>Speed bits/s</source>
        <translation>Rate Bit/s</translation>
    </message>
    <message>
        <source>Units</source>
        <translation>Einheiten</translation>
    </message>
    <message>
        <source>Att CM</source>
        <translation>Dämpfung CM</translation>
    </message>
    <message>
        <source>CM Information</source>
        <translation>CM-Informationen</translation>
    </message>
    <message>
        <source>OFDM DOWNSTREAM</source>
        <translation>OFDM VORWÄRTSWEG</translation>
    </message>
    <message>
        <source>Profiles</source>
        <translation>Profile</translation>
    </message>
    <message>
        <source>BONDING DOWNSTREAM</source>
        <translation>BONDING VORWÄRTSWEG</translation>
    </message>
    <message>
        <source>OFDM UPSTREAM</source>
        <translation>OFDM RÜCKWEG</translation>
    </message>
    <message>
        <source>BONDING UPSTREAM</source>
        <translation>BONDING RÜCKWEG</translation>
    </message>
    <message>
        <source>IP REPORT</source>
        <translation>IP-BERICHT</translation>
    </message>
</context>
<context>
    <name>scan_constellation31_cm</name>
    <message>
        <source>Units</source>
        <translation>Einheiten</translation>
    </message>
    <message>
        <source>Att CM</source>
        <translation>Dämpfung CM</translation>
    </message>
    <message>
        <source>No channels</source>
        <translation>Keine Kanäle</translation>
    </message>
</context>
<context>
    <name>up_stream</name>
    <message>
        <source>Units</source>
        <translation>Einheiten</translation>
    </message>
    <message>
        <source>Max hold</source>
        <translation>Max. halten</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>AUS</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>EIN</translation>
    </message>
    <message>
        <source>Min hold</source>
        <translation>Min. halten</translation>
    </message>
    <message>
        <source>GENERATOR</source>
        <translation>GENERATOR</translation>
    </message>
    <message>
        <source>MAIN MENU</source>
        <translation>HAUPTMENÜ</translation>
    </message>
</context>
<context>
    <name>upstream_test</name>
    <message>
        <source>DOCSIS mode</source>
        <translation>DOCSIS-Modus</translation>
    </message>
    <message>
        <source>Frequency mode</source>
        <translation>Frequenzmodus</translation>
    </message>
    <message>
        <source>Start frequency</source>
        <translation>Startfrequenz</translation>
    </message>
    <message>
        <source>Frequency</source>
        <translation>Frequenz</translation>
    </message>
    <message>
        <source>Stop frequency</source>
        <translation>Stoppfrequenz</translation>
    </message>
    <message>
        <source>Level</source>
        <translation>Pegel</translation>
    </message>
    <message>
        <source>Modulation</source>
        <translation>Modulation</translation>
    </message>
    <message>
        <source>Symbol rate</source>
        <translation>Symbolrate</translation>
    </message>
    <message>
        <source>RF
OUTPUT</source>
        <translation>HF-
AUSGANG</translation>
    </message>
</context>
<context>
    <name>voIP</name>
    <message>
        <source>Ping data length</source>
        <translation>Ping-Datenlänge</translation>
    </message>
    <message>
        <source>Ping number</source>
        <translation>Anzahl Pings</translation>
    </message>
    <message>
        <source>Unsolicited grant size</source>
        <translation>UGS-Zuteilungsgröße</translation>
    </message>
    <message>
        <source>Grants per interval</source>
        <translation>Zuteilungen pro Intervall</translation>
    </message>
    <message>
        <source>Nominal Grant Interval</source>
        <translation>Nominales Zuteilungsintervall</translation>
    </message>
    <message>
        <source>Tolerated grant Jitter</source>
        <translation>Tolerierter Zuteilungsjitter</translation>
    </message>
    <message>
        <source>Codec</source>
        <translation>Codec</translation>
    </message>
    <message>
        <source>Latency</source>
        <translation>Latenz</translation>
    </message>
    <message>
        <source>Jitter</source>
        <translation>Jitter</translation>
    </message>
    <message>
        <source>R Value:</source>
        <translation>R-Wert:</translation>
    </message>
</context>
<context>
    <name>MesuraCM</name>
    <message>
        <source>Start CM IQ</source>
        <translation>CM-IQ startet</translation>
    </message>
    <message>
        <source>Stop CM IQ</source>
        <translation>CM-IQ beendet</translation>
    </message>
    <message>
        <source>DS demod process</source>
        <translation>DS-Demodulation läuft</translation>
    </message>
    <message>
        <source>Time OUT</source>
        <translation>Zeitüberschreitung</translation>
    </message>
    <message>
        <source> of </source>
        <translation> von </translation>
    </message>
    <message>
        <source>Start Ranging CM</source>
        <translation>Ranging des CM startet</translation>
    </message>
    <message>
        <source>Waiting for CM registration</source>
        <translation>Warten auf die Registrierung des CM</translation>
    </message>
    <message>
        <source>Restarting CM</source>
        <translation>Neustart des CM</translation>
    </message>
    <message>
        <source>Restarting CM in test mode</source>
        <translation>Neustart des CM im Testmodus</translation>
    </message>
    <message>
        <source>No SC-QAM channel at %1 MHz</source>
        <translation>Kein SC-QAM-Kanal bei %1 MHz</translation>
    </message>
    <message>
        <source>Change the frequency on RANGING</source>
        <translation>Frequenz unter RANGING ändern</translation>
    </message>
    <message>
        <source>Start Registering CM</source>
        <translation>Registrierung des CM startet</translation>
    </message>
    <message>
        <source>Registering decoding DOWN</source>
        <translation>Registrierung: Dekodierung Vorwärtsweg</translation>
    </message>
    <message>
        <source>Registering decoding UP</source>
        <translation>Registrierung: Dekodierung Rückweg</translation>
    </message>
    <message>
        <source>Getting IP CM</source>
        <translation>IP des CM wird abgefragt</translation>
    </message>
    <message>
        <source>Ranging decoding DOWN</source>
        <translation>Ranging: Dekodierung Vorwärtsweg</translation>
    </message>
    <message>
        <source>Ranging decoding UP</source>
        <translation>Ranging: Dekodierung Rückweg</translation>
    </message>
    <message>
        <source>Decoding UP/DOWN CM</source>
        <translation>Dekodierung Rück-/Vorwärtsweg des CM</translation>
    </message>
    <message>
        <source>Node</source>
        <translation>Knoten</translation>
    </message>
</context>
</TS>
