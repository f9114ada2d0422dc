<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
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
        <translation>Switching off...</translation>
    </message>
    <message>
        <source>Switch the instrument off?</source>
        <translation>Switch the instrument off?</translation>
    </message>
    <message>
        <source>YES</source>
        <translation>YES</translation>
    </message>
    <message>
        <source>NO</source>
        <translation>NO</translation>
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
        <translation>Model</translation>
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
        <translation>MAIN MENU</translation>
    </message>
    <message>
        <source>POWER OFF</source>
        <translation>POWER OFF</translation>
    </message>
    <message>
        <source>CABLE MODEM→REGISTERING</source>
        <translation>CABLE MODEM→REGISTERING</translation>
    </message>
    <message>
        <source>REGISTERING</source>
        <translation>REGISTERING</translation>
    </message>
    <message>
        <source>CABLE MODEM→RANGING</source>
        <translation>CABLE MODEM→RANGING</translation>
    </message>
    <message>
        <source>RANGING</source>
        <translation>RANGING</translation>
    </message>
    <message>
        <source>CHANNEL SCAN</source>
        <translation>CHANNEL SCAN</translation>
    </message>
    <message>
        <source>OFDM DOWNSTREAM</source>
        <translation>OFDM DOWNSTREAM</translation>
    </message>
    <message>
        <source>CABLE MODEM→SCAN</source>
        <translation>CABLE MODEM→SCAN</translation>
    </message>
    <message>
        <source>CM SCAN</source>
        <translation>CM SCAN</translation>
    </message>
    <message>
        <source>CM SCAN OPTICAL</source>
        <translation>CM SCAN OPTICAL</translation>
    </message>
    <message>
        <source>UPSTREAM GENERATOR</source>
        <translation>UPSTREAM GENERATOR</translation>
    </message>
    <message>
        <source>UPSTREAM</source>
        <translation>UPSTREAM</translation>
    </message>
    <message>
        <source>UPSTREAM RF</source>
        <translation>UPSTREAM RF</translation>
    </message>
    <message>
        <source>UPSTREAM OPTIC</source>
        <translation>UPSTREAM OPTIC</translation>
    </message>
    <message>
        <source>EXTERNAL CM / UPSTREAM</source>
        <translation>EXTERNAL CM / UPSTREAM</translation>
    </message>
    <message>
        <source>CABLE MODEM→VoIP TEST</source>
        <translation>CABLE MODEM→VoIP TEST</translation>
    </message>
    <message>
        <source>VoIP TEST</source>
        <translation>VoIP TEST</translation>
    </message>
    <message>
        <source>CABLE MODEM→IPTV TEST</source>
        <translation>CABLE MODEM→IPTV TEST</translation>
    </message>
    <message>
        <source>IPTV TEST</source>
        <translation>IPTV TEST</translation>
    </message>
</context>
<context>
    <name>BotonToolbarClear</name>
    <message>
        <source>CLR</source>
        <translation>CLR</translation>
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
        <translation>No second OFDM channel</translation>
    </message>
    <message>
        <source>No OFDM channel</source>
        <translation>No OFDM channel</translation>
    </message>
</context>
<context>
    <name>DialogAttCM</name>
    <message>
        <source>Att CM</source>
        <translation>Att CM</translation>
    </message>
</context>
<context>
    <name>DialogCMInformation</name>
    <message>
        <source>CM information</source>
        <translation>CM information</translation>
    </message>
    <message>
        <source>MAC Address:</source>
        <translation>MAC Address:</translation>
    </message>
    <message>
        <source>SW MODEM:</source>
        <translation>SW MODEM:</translation>
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
        <translation>Enable</translation>
    </message>
</context>
<context>
    <name>DialogStartLogger</name>
    <message>
        <source>DATA LOGGER</source>
        <translation>DATA LOGGER</translation>
    </message>
    <message>
        <source>The data logger could not be saved.</source>
        <translation>The data logger could not be saved.</translation>
    </message>
    <message>
        <source>Data logger saved:</source>
        <translation>Data logger saved:</translation>
    </message>
    <message>
        <source>Save the results on show as a data logger?</source>
        <translation>Save the results on show as a data logger?</translation>
    </message>
    <message>
        <source>Nothing has been measured yet: no data logger was saved.</source>
        <translation>Nothing has been measured yet: no data logger was saved.</translation>
    </message>
</context>
<context>
    <name>DialogSymbolRate</name>
    <message>
        <source>Symbol rate</source>
        <translation>Symbol rate</translation>
    </message>
</context>
<context>
    <name>DialogUnits</name>
    <message>
        <source>Units</source>
        <translation>Units</translation>
    </message>
</context>
<context>
    <name>Dialogo</name>
    <message>
        <source>DONE</source>
        <translation>DONE</translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation>CANCEL</translation>
    </message>
</context>
<context>
    <name>DisplayMedidas</name>
    <message>
        <source>PWR</source>
        <translation>PWR</translation>
    </message>
</context>
<context>
    <name>IpTestPanel</name>
    <message>
        <source>The IP address needs four numbers from 0 to 255.</source>
        <translation>The IP address needs four numbers from 0 to 255.</translation>
    </message>
    <message>
        <source>IP ADDRESS:</source>
        <translation>IP ADDRESS:</translation>
    </message>
    <message>
        <source>STOP</source>
        <translation>STOP</translation>
    </message>
    <message>
        <source>SEND</source>
        <translation>SEND</translation>
    </message>
    <message>
        <source>Sending</source>
        <translation>Sending</translation>
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
        <translation>CANCEL</translation>
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
        <translation>Symbol Rate</translation>
    </message>
    <message>
        <source>Modulation</source>
        <translation>Modulation</translation>
    </message>
    <message>
        <source>Interleaver</source>
        <translation>Interleaver</translation>
    </message>
    <message>
        <source>Offset</source>
        <translation>Offset</translation>
    </message>
    <message>
        <source>Frequency PLC</source>
        <translation>Frequency PLC</translation>
    </message>
    <message>
        <source>FFT size</source>
        <translation>FFT size</translation>
    </message>
    <message>
        <source>PLC MER</source>
        <translation>PLC MER</translation>
    </message>
    <message>
        <source>Active Carriers</source>
        <translation>Active Carriers</translation>
    </message>
    <message>
        <source>NCP Modulation</source>
        <translation>NCP Modulation</translation>
    </message>
    <message>
        <source>Time Interleave</source>
        <translation>Time Interleave</translation>
    </message>
    <message>
        <source>Spacing</source>
        <translation>Spacing</translation>
    </message>
    <message>
        <source>Frequency</source>
        <translation>Frequency</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>Bandwidth</source>
        <translation>Bandwidth</translation>
    </message>
    <message>
        <source>Power</source>
        <translation>Power</translation>
    </message>
    <message>
        <source>Attenuation</source>
        <translation>Attenuation</translation>
    </message>
    <message>
        <source>DOWNSTREAM</source>
        <translation>DOWNSTREAM</translation>
    </message>
    <message>
        <source>UPSTREAM</source>
        <translation>UPSTREAM</translation>
    </message>
</context>
<context>
    <name>TableRegistering_31</name>
    <message>
        <source>SR ksymps</source>
        <translation>SR ksymps</translation>
    </message>
    <message>
        <source>F. MHz</source>
        <translation>F. MHz</translation>
    </message>
    <message>
        <source>PWR</source>
        <translation>PWR</translation>
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
        <translation>REGISTERING</translation>
    </message>
    <message>
        <source>SPEED</source>
        <translation>SPEED</translation>
    </message>
</context>
<context>
    <name>ToolbarDownRegistering</name>
    <message>
        <source>BACK</source>
        <translation>BACK</translation>
    </message>
    <message>
        <source>SPEED</source>
        <translation>SPEED</translation>
    </message>
</context>
<context>
    <name>ToolbarDownScan31</name>
    <message>
        <source>CLR IQ</source>
        <translation>CLR IQ</translation>
    </message>
</context>
<context>
    <name>ToolbarDownUpStream</name>
    <message>
        <source>SPEED</source>
        <translation>SPEED</translation>
    </message>
</context>
<context>
    <name>ToolbarDownUpstreamTest</name>
    <message>
        <source>MAIN MENU</source>
        <translation>MAIN MENU</translation>
    </message>
</context>
<context>
    <name>ToolbarDownVoIP</name>
    <message>
        <source>REGISTERING</source>
        <translation>REGISTERING</translation>
    </message>
    <message>
        <source>IP TV</source>
        <translation>IP TV</translation>
    </message>
    <message>
        <source>SPEED</source>
        <translation>SPEED</translation>
    </message>
</context>
<context>
    <name>cablemodem</name>
    <message>
        <source>Bandwidth</source>
        <translation>Bandwidth</translation>
    </message>
    <message>
        <source>Subcarrier</source>
        <translation>Subcarrier</translation>
    </message>
    <message>
        <source>Ripple RMS</source>
        <translation>Ripple RMS</translation>
    </message>
    <message>
        <source>ICFR</source>
        <translation>ICFR</translation>
    </message>
    <message>
        <source>MER Std dev/Pctl</source>
        <translation>MER Std dev/Pctl</translation>
    </message>
    <message>
        <source>Frequency</source>
        <translation>Frequency</translation>
    </message>
    <message>
        <source>Power</source>
        <translation>Power</translation>
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
        <translation>PROFILE A</translation>
    </message>
    <message>
        <source>PROFILE B</source>
        <translation>PROFILE B</translation>
    </message>
    <message>
        <source>PROFILE C</source>
        <translation>PROFILE C</translation>
    </message>
    <message>
        <source>PROFILE D</source>
        <translation>PROFILE D</translation>
    </message>
    <message>
        <source>Charge DOCSIS CABLE MODEM APP</source>
        <translation>Charge DOCSIS CABLE MODEM APP</translation>
    </message>
</context>
<context>
    <name>downstream_scan_demod_31</name>
    <message>
        <source>Units</source>
        <translation>Units</translation>
    </message>
    <message>
        <source>Att CM</source>
        <translation>Att CM</translation>
    </message>
    <message>
        <source>OFDM DS</source>
        <translation>OFDM DS</translation>
    </message>
    <message>
        <source>PWR AVG</source>
        <translation>PWR AVG</translation>
    </message>
    <message>
        <source>PROFILES</source>
        <translation>PROFILES</translation>
    </message>
</context>
<context>
    <name>ipTv</name>
    <message>
        <source>Enable RTPS</source>
        <translation>Enable RTPS</translation>
    </message>
    <message>
        <source>Nominal polling interval</source>
        <translation>Nominal polling interval</translation>
    </message>
    <message>
        <source>Node Id:</source>
        <translation>Node Id:</translation>
    </message>
    <message>
        <source>IP address:</source>
        <translation>IP address:</translation>
    </message>
    <message>
        <source>Latency:</source>
        <translation>Latency:</translation>
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
        <translation>Units</translation>
    </message>
    <message>
        <source>Att CM</source>
        <translation>Att CM</translation>
    </message>
    <message>
        <source>OFDM DS</source>
        <translation>OFDM DS</translation>
    </message>
    <message>
        <source>CM Information</source>
        <translation>CM Information</translation>
    </message>
    <message>
        <source>Frequency</source>
        <translation>Frequency</translation>
    </message>
</context>
<context>
    <name>registering_31</name>
    <message>
        <source>Speed bits/s</source>
        <translation>Speed bits/s</translation>
    </message>
    <message>
        <source>Units</source>
        <translation>Units</translation>
    </message>
    <message>
        <source>Att CM</source>
        <translation>Att CM</translation>
    </message>
    <message>
        <source>CM Information</source>
        <translation>CM Information</translation>
    </message>
    <message>
        <source>OFDM DOWNSTREAM</source>
        <translation>OFDM DOWNSTREAM</translation>
    </message>
    <message>
        <source>Profiles</source>
        <translation>Profiles</translation>
    </message>
    <message>
        <source>BONDING DOWNSTREAM</source>
        <translation>BONDING DOWNSTREAM</translation>
    </message>
    <message>
        <source>OFDM UPSTREAM</source>
        <translation>OFDM UPSTREAM</translation>
    </message>
    <message>
        <source>BONDING UPSTREAM</source>
        <translation>BONDING UPSTREAM</translation>
    </message>
    <message>
        <source>IP REPORT</source>
        <translation>IP REPORT</translation>
    </message>
</context>
<context>
    <name>scan_constellation31_cm</name>
    <message>
        <source>Units</source>
        <translation>Units</translation>
    </message>
    <message>
        <source>Att CM</source>
        <translation>Att CM</translation>
    </message>
    <message>
        <source>No channels</source>
        <translation>No channels</translation>
    </message>
</context>
<context>
    <name>up_stream</name>
    <message>
        <source>Units</source>
        <translation>Units</translation>
    </message>
    <message>
        <source>Max hold</source>
        <translation>Max hold</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>OFF</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>ON</translation>
    </message>
    <message>
        <source>Min hold</source>
        <translation>Min hold</translation>
    </message>
    <message>
        <source>GENERATOR</source>
        <translation>GENERATOR</translation>
    </message>
    <message>
        <source>MAIN MENU</source>
        <translation>MAIN MENU</translation>
    </message>
</context>
<context>
    <name>upstream_test</name>
    <message>
        <source>DOCSIS mode</source>
        <translation>DOCSIS mode</translation>
    </message>
    <message>
        <source>Frequency mode</source>
        <translation>Frequency mode</translation>
    </message>
    <message>
        <source>Start frequency</source>
        <translation>Start frequency</translation>
    </message>
    <message>
        <source>Frequency</source>
        <translation>Frequency</translation>
    </message>
    <message>
        <source>Stop frequency</source>
        <translation>Stop frequency</translation>
    </message>
    <message>
        <source>Level</source>
        <translation>Level</translation>
    </message>
    <message>
        <source>Modulation</source>
        <translation>Modulation</translation>
    </message>
    <message>
        <source>Symbol rate</source>
        <translation>Symbol rate</translation>
    </message>
    <message>
        <source>RF
OUTPUT</source>
        <translation>RF
OUTPUT</translation>
    </message>
</context>
<context>
    <name>voIP</name>
    <message>
        <source>Ping data length</source>
        <translation>Ping data length</translation>
    </message>
    <message>
        <source>Ping number</source>
        <translation>Ping number</translation>
    </message>
    <message>
        <source>Unsolicited grant size</source>
        <translation>Unsolicited grant size</translation>
    </message>
    <message>
        <source>Grants per interval</source>
        <translation>Grants per interval</translation>
    </message>
    <message>
        <source>Nominal Grant Interval</source>
        <translation>Nominal Grant Interval</translation>
    </message>
    <message>
        <source>Tolerated grant Jitter</source>
        <translation>Tolerated grant Jitter</translation>
    </message>
    <message>
        <source>Codec</source>
        <translation>Codec</translation>
    </message>
    <message>
        <source>Latency</source>
        <translation>Latency</translation>
    </message>
    <message>
        <source>Jitter</source>
        <translation>Jitter</translation>
    </message>
    <message>
        <source>R Value:</source>
        <translation>R Value:</translation>
    </message>
</context>
<context>
    <name>MesuraCM</name>
    <message>
        <source>Start CM IQ</source>
        <translation>Start CM IQ</translation>
    </message>
    <message>
        <source>Stop CM IQ</source>
        <translation>Stop CM IQ</translation>
    </message>
    <message>
        <source>DS demod process</source>
        <translation>DS demod process</translation>
    </message>
    <message>
        <source>Time OUT</source>
        <translation>Time OUT</translation>
    </message>
    <message>
        <source> of </source>
        <translation> of </translation>
    </message>
    <message>
        <source>Start Ranging CM</source>
        <translation>Start Ranging CM</translation>
    </message>
    <message>
        <source>Waiting for CM registration</source>
        <translation>Waiting for CM registration</translation>
    </message>
    <message>
        <source>Restarting CM</source>
        <translation>Restarting CM</translation>
    </message>
    <message>
        <source>Restarting CM in test mode</source>
        <translation>Restarting CM in test mode</translation>
    </message>
    <message>
        <source>No SC-QAM channel at %1 MHz</source>
        <translation>No SC-QAM channel at %1 MHz</translation>
    </message>
    <message>
        <source>Change the frequency on RANGING</source>
        <translation>Change the frequency on RANGING</translation>
    </message>
    <message>
        <source>Start Registering CM</source>
        <translation>Start Registering CM</translation>
    </message>
    <message>
        <source>Registering decoding DOWN</source>
        <translation>Registering decoding DOWN</translation>
    </message>
    <message>
        <source>Registering decoding UP</source>
        <translation>Registering decoding UP</translation>
    </message>
    <message>
        <source>Getting IP CM</source>
        <translation>Getting IP CM</translation>
    </message>
    <message>
        <source>Ranging decoding DOWN</source>
        <translation>Ranging decoding DOWN</translation>
    </message>
    <message>
        <source>Ranging decoding UP</source>
        <translation>Ranging decoding UP</translation>
    </message>
    <message>
        <source>Decoding UP/DOWN CM</source>
        <translation>Decoding UP/DOWN CM</translation>
    </message>
    <message>
        <source>Node</source>
        <translation>Node</translation>
    </message>
</context>
</TS>
