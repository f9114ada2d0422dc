<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es">
<context>
    <name>DialogWarning</name>
    <message>
        <source>OK</source>
        <translation>ACEPTAR</translation>
    </message>
</context>
<context>
    <name>exit</name>
    <message>
        <source>Switching off...</source>
        <translation>Apagando...</translation>
    </message>
    <message>
        <source>Switch the instrument off?</source>
        <translation>¿Apagar el equipo?</translation>
    </message>
    <message>
        <source>YES</source>
        <translation>SÍ</translation>
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
        <translation>N/S</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Modelo</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Versión</translation>
    </message>
</context>
<context>
    <name>screens</name>
    <message>
        <source>MAIN MENU</source>
        <translation>MENÚ PRINCIPAL</translation>
    </message>
    <message>
        <source>POWER OFF</source>
        <translation>APAGAR</translation>
    </message>
    <message>
        <source>CABLE MODEM→REGISTERING</source>
        <translation>CABLE MÓDEM→REGISTRO</translation>
    </message>
    <message>
        <source>REGISTERING</source>
        <translation>REGISTRO</translation>
    </message>
    <message>
        <source>CABLE MODEM→RANGING</source>
        <translation>CABLE MÓDEM→RANGING</translation>
    </message>
    <message>
        <source>RANGING</source>
        <translation>RANGING</translation>
    </message>
    <message>
        <source>CHANNEL SCAN</source>
        <translation>EXPLORACIÓN DE CANALES</translation>
    </message>
    <message>
        <source>OFDM DOWNSTREAM</source>
        <translation>OFDM DESCENDENTE</translation>
    </message>
    <message>
        <source>CABLE MODEM→SCAN</source>
        <translation>CABLE MÓDEM→EXPLORACIÓN</translation>
    </message>
    <message>
        <source>CM SCAN</source>
        <translation>EXPLORACIÓN CM</translation>
    </message>
    <message>
        <source>CM SCAN OPTICAL</source>
        <translation>EXPLORACIÓN CM ÓPTICA</translation>
    </message>
    <message>
        <source>UPSTREAM GENERATOR</source>
        <translation>GENERADOR ASCENDENTE</translation>
    </message>
    <message>
        <source>UPSTREAM</source>
        <translation>ASCENDENTE</translation>
    </message>
    <message>
        <source>UPSTREAM RF</source>
        <translation>ASCENDENTE RF</translation>
    </message>
    <message>
        <source>UPSTREAM OPTIC</source>
        <translation>ASCENDENTE ÓPTICO</translation>
    </message>
    <message>
        <source>EXTERNAL CM / UPSTREAM</source>
        <translation>CM EXTERNO / ASCENDENTE</translation>
    </message>
    <message>
        <source>CABLE MODEM→VoIP TEST</source>
        <translation>CABLE MÓDEM→PRUEBA VoIP</translation>
    </message>
    <message>
        <source>VoIP TEST</source>
        <translation>PRUEBA VoIP</translation>
    </message>
    <message>
        <source>CABLE MODEM→IPTV TEST</source>
        <translation>CABLE MÓDEM→PRUEBA IPTV</translation>
    </message>
    <message>
        <source>IPTV TEST</source>
        <translation>PRUEBA IPTV</translation>
    </message>
</context>
<context>
    <name>BotonToolbarClear</name>
    <message>
        <source>CLR</source>
        <translation>BORRAR</translation>
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
        <translation>CONSTELACIÓN</translation>
    </message>
    <message>
        <source>No second OFDM channel</source>
        <translation>No hay segundo canal OFDM</translation>
    </message>
    <message>
        <source>No OFDM channel</source>
        <translation>No hay canal OFDM</translation>
    </message>
</context>
<context>
    <name>DialogAttCM</name>
    <message>
        <source>Att CM</source>
        <translation>Atenuador CM</translation>
    </message>
</context>
<context>
    <name>DialogCMInformation</name>
    <message>
        <source>CM information</source>
        <translation>Información CM</translation>
    </message>
    <message>
        <source>MAC Address:</source>
        <translation>Dirección MAC:</translation>
    </message>
    <message>
        <source>SW MODEM:</source>
        <translation>SW MÓDEM:</translation>
    </message>
</context>
<context>
    <name>DialogCodec</name>
    <message>
        <source>Codec</source>
        <translation>Códec</translation>
    </message>
</context>
<context>
    <name>DialogModulation</name>
    <message>
        <source>Modulation</source>
        <translation>Modulación</translation>
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
        <translation>Activar</translation>
    </message>
</context>
<context>
    <name>DialogStartLogger</name>
    <message>
        <source>DATA LOGGER</source>
        <translation>REGISTRO DE DATOS</translation>
    </message>
    <message>
        <source>The data logger could not be saved.</source>
        <translation>No se ha podido guardar el registro de datos.</translation>
    </message>
    <message>
        <source>Data logger saved:</source>
        <translation>Registro de datos guardado:</translation>
    </message>
    <message>
        <source>Save the results on show as a data logger?</source>
        <translation>¿Guardar los resultados mostrados como registro de datos?</translation>
    </message>
    <message>
        <source>Nothing has been measured yet: no data logger was saved.</source>
        <translation>Aún no se ha medido nada: no se ha guardado ningún registro de datos.</translation>
    </message>
</context>
<context>
    <name>DialogSymbolRate</name>
    <message>
        <source>Symbol rate</source>
        <translation>Velocidad de símbolo</translation>
    </message>
</context>
<context>
    <name>DialogUnits</name>
    <message>
        <source>Units</source>
        <translation>Unidades</translation>
    </message>
</context>
<context>
    <name>Dialogo</name>
    <message>
        <source>DONE</source>
        <translation>ACEPTAR</translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation>CANCELAR</translation>
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
        <translation>La dirección IP necesita cuatro números de 0 a 255.</translation>
    </message>
    <message>
        <source>IP ADDRESS:</source>
        <translation>DIRECCIÓN IP:</translation>
    </message>
    <message>
        <source>STOP</source>
        <translation>PARAR</translation>
    </message>
    <message>
        <source>SEND</source>
        <translation>ENVIAR</translation>
    </message>
    <message>
        <source>Sending</source>
        <translation>Enviando</translation>
    </message>
</context>
<context>
    <name>NumericKeyboard</name>
    <message>
        <source>OK</source>
        <translation>ACEPTAR</translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation>CANCELAR</translation>
    </message>
</context>
<context>
    <name>RangingMenu_31</name>
    <message>
        <source>System</source>
        <translation>Sistema</translation>
    </message>
    <message>
        <source>Symbol Rate</source>
        <translation>Vel. símbolo</translation>
    </message>
    <message>
        <source>Modulation</source>
        <translation>Modulación</translation>
    </message>
    <message>
        <source>Interleaver</source>
        <translation>Entrelazado</translation>
    </message>
    <message>
        <source>Offset</source>
        <translation>Desviación</translation>
    </message>
    <message>
        <source>Frequency PLC</source>
        <translation>Frecuencia PLC</translation>
    </message>
    <message>
        <source>FFT size</source>
        <translation>Tamaño FFT</translation>
    </message>
    <message>
        <source>PLC MER</source>
        <translation>MER PLC</translation>
    </message>
    <message>
        <source>Active Carriers</source>
        <translation>Portadoras activas</translation>
    </message>
    <message>
        <source>NCP Modulation</source>
        <translation>Modulación NCP</translation>
    </message>
    <message>
        <source>Time Interleave</source>
        <translation>Entrelazado tiempo</translation>
    </message>
    <message>
        <source>Spacing</source>
        <translation>Separación</translation>
    </message>
    <message>
        <source>Frequency</source>
        <translation>Frecuencia</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>Velocidad</translation>
    </message>
    <message>
        <source>Bandwidth</source>
        <translation>Ancho de banda</translation>
    </message>
    <message>
        <source>Power</source>
        <translation>Nivel</translation>
    </message>
    <message>
        <source>Attenuation</source>
        <translation>Atenuación</translation>
    </message>
    <message>
        <source>DOWNSTREAM</source>
        <translation>DESCENDENTE</translation>
    </message>
    <message>
        <source>UPSTREAM</source>
        <translation>ASCENDENTE</translation>
    </message>
</context>
<context>
    <name>TableRegistering_31</name>
    <message>
        <source>SR ksymps</source>
        <translation>SR ksímb/s</translation>
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
        <translation>ATEN dB</translation>
    </message>
</context>
<context>
    <name>ToolbarDownIptest</name>
    <message>
        <source>REGISTERING</source>
        <translation>REGISTRO</translation>
    </message>
    <message>
        <source>SPEED</source>
        <translation>VELOCIDAD</translation>
    </message>
</context>
<context>
    <name>ToolbarDownRegistering</name>
    <message>
        <source>BACK</source>
        <translation>ATRÁS</translation>
    </message>
    <message>
        <source>SPEED</source>
        <translation>VELOCIDAD</translation>
    </message>
</context>
<context>
    <name>ToolbarDownScan31</name>
    <message>
        <source>CLR IQ</source>
        <translation>BORRAR IQ</translation>
    </message>
</context>
<context>
    <name>ToolbarDownUpStream</name>
    <message>
        <source>SPEED</source>
        <translation>VELOCIDAD</translation>
    </message>
</context>
<context>
    <name>ToolbarDownUpstreamTest</name>
    <message>
        <source>MAIN MENU</source>
        <translation>MENÚ PRINCIPAL</translation>
    </message>
</context>
<context>
    <name>ToolbarDownVoIP</name>
    <message>
        <source>REGISTERING</source>
        <translation>REGISTRO</translation>
    </message>
    <message>
        <source>IP TV</source>
        <translation>IP TV</translation>
    </message>
    <message>
        <source>SPEED</source>
        <translation>VELOCIDAD</translation>
    </message>
</context>
<context>
    <name>cablemodem</name>
    <message>
        <source>Bandwidth</source>
        <translation>Ancho de banda</translation>
    </message>
    <message>
        <source>Subcarrier</source>
        <translation>Subportadora</translation>
    </message>
    <message>
        <source>Ripple RMS</source>
        <translation>Rizado RMS</translation>
    </message>
    <message>
        <source>ICFR</source>
        <translation>ICFR</translation>
    </message>
    <message>
        <source>MER Std dev/Pctl</source>
        <translation>MER desv./pctl</translation>
    </message>
    <message>
        <source>Frequency</source>
        <translation>Frecuencia</translation>
    </message>
    <message>
        <source>Power</source>
        <translation>Nivel</translation>
    </message>
    <message>
        <source>MER</source>
        <translation>MER</translation>
    </message>
    <message>
        <source>Modulation</source>
        <translation>Modulación</translation>
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
        <translation>PERFIL A</translation>
    </message>
    <message>
        <source>PROFILE B</source>
        <translation>PERFIL B</translation>
    </message>
    <message>
        <source>PROFILE C</source>
        <translation>PERFIL C</translation>
    </message>
    <message>
        <source>PROFILE D</source>
        <translation>PERFIL D</translation>
    </message>
    <message>
        <source>Charge DOCSIS CABLE MODEM APP</source>
        <translation>Cargue la aplicación DOCSIS CABLE MODEM</translation>
    </message>
</context>
<context>
    <name>downstream_scan_demod_31</name>
    <message>
        <source>Units</source>
        <translation>Unidades</translation>
    </message>
    <message>
        <source>Att CM</source>
        <translation>Atenuador CM</translation>
    </message>
    <message>
        <source>OFDM DS</source>
        <translation>OFDM DS</translation>
    </message>
    <message>
        <source>PWR AVG</source>
        <translation>NIV MEDIO</translation>
    </message>
    <message>
        <source>PROFILES</source>
        <translation>PERFILES</translation>
    </message>
</context>
<context>
    <name>ipTv</name>
    <message>
        <source>Enable RTPS</source>
        <translation>Activar RTPS</translation>
    </message>
    <message>
        <source>Nominal polling interval</source>
        <translation>Intervalo nominal de sondeo</translation>
    </message>
    <message>
        <source>Node Id:</source>
        <translation>Nodo:</translation>
    </message>
    <message>
        <source>IP address:</source>
        <translation>Dirección IP:</translation>
    </message>
    <message>
        <source>Latency:</source>
        <translation>Latencia:</translation>
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
        <translation>Unidades</translation>
    </message>
    <message>
        <source>Att CM</source>
        <translation>Atenuador CM</translation>
    </message>
    <message>
        <source>OFDM DS</source>
        <translation>OFDM DS</translation>
    </message>
    <message>
        <source>CM Information</source>
        <translation>Información CM</translation>
    </message>
    <message>
        <source>Frequency</source>
        <translation>Frecuencia</translation>
    </message>
</context>
<context>
    <name>registering_31</name>
    <message>
        <source>Speed bits/s</source>
        <translation>Velocidad bits/s</translation>
    </message>
    <message>
        <source>Units</source>
        <translation>Unidades</translation>
    </message>
    <message>
        <source>Att CM</source>
        <translation>Atenuador CM</translation>
    </message>
    <message>
        <source>CM Information</source>
        <translation>Información CM</translation>
    </message>
    <message>
        <source>OFDM DOWNSTREAM</source>
        <translation>OFDM DESCENDENTE</translation>
    </message>
    <message>
        <source>Profiles</source>
        <translation>Perfiles</translation>
    </message>
    <message>
        <source>BONDING DOWNSTREAM</source>
        <translation>BONDING DESCENDENTE</translation>
    </message>
    <message>
        <source>OFDM UPSTREAM</source>
        <translation>OFDM ASCENDENTE</translation>
    </message>
    <message>
        <source>BONDING UPSTREAM</source>
        <translation>BONDING ASCENDENTE</translation>
    </message>
    <message>
        <source>IP REPORT</source>
        <translation>INFORME IP</translation>
    </message>
</context>
<context>
    <name>scan_constellation31_cm</name>
    <message>
        <source>Units</source>
        <translation>Unidades</translation>
    </message>
    <message>
        <source>Att CM</source>
        <translation>Atenuador CM</translation>
    </message>
    <message>
        <source>No channels</source>
        <translation>Sin canales</translation>
    </message>
</context>
<context>
    <name>up_stream</name>
    <message>
        <source>Units</source>
        <translation>Unidades</translation>
    </message>
    <message>
        <source>Max hold</source>
        <translation>Retención máx.</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>NO</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>SÍ</translation>
    </message>
    <message>
        <source>Min hold</source>
        <translation>Retención mín.</translation>
    </message>
    <message>
        <source>GENERATOR</source>
        <translation>GENERADOR</translation>
    </message>
    <message>
        <source>MAIN MENU</source>
        <translation>MENÚ PRINCIPAL</translation>
    </message>
</context>
<context>
    <name>upstream_test</name>
    <message>
        <source>DOCSIS mode</source>
        <translation>Modo DOCSIS</translation>
    </message>
    <message>
        <source>Frequency mode</source>
        <translation>Modo de frecuencia</translation>
    </message>
    <message>
        <source>Start frequency</source>
        <translation>Frecuencia inicial</translation>
    </message>
    <message>
        <source>Frequency</source>
        <translation>Frecuencia</translation>
    </message>
    <message>
        <source>Stop frequency</source>
        <translation>Frecuencia final</translation>
    </message>
    <message>
        <source>Level</source>
        <translation>Nivel</translation>
    </message>
    <message>
        <source>Modulation</source>
        <translation>Modulación</translation>
    </message>
    <message>
        <source>Symbol rate</source>
        <translation>Velocidad de símbolo</translation>
    </message>
    <message>
        <source>RF
OUTPUT</source>
        <translation>SALIDA
RF</translation>
    </message>
</context>
<context>
    <name>voIP</name>
    <message>
        <source>Ping data length</source>
        <translation>Longitud de datos ping</translation>
    </message>
    <message>
        <source>Ping number</source>
        <translation>Número de pings</translation>
    </message>
    <message>
        <source>Unsolicited grant size</source>
        <translation>Tamaño de concesión UGS</translation>
    </message>
    <message>
        <source>Grants per interval</source>
        <translation>Concesiones por intervalo</translation>
    </message>
    <message>
        <source>Nominal Grant Interval</source>
        <translation>Intervalo nominal de concesión</translation>
    </message>
    <message>
        <source>Tolerated grant Jitter</source>
        <translation>Jitter de concesión tolerado</translation>
    </message>
    <message>
        <source>Codec</source>
        <translation>Códec</translation>
    </message>
    <message>
        <source>Latency</source>
        <translation>Latencia</translation>
    </message>
    <message>
        <source>Jitter</source>
        <translation>Jitter</translation>
    </message>
    <message>
        <source>R Value:</source>
        <translation>Valor R:</translation>
    </message>
</context>
<context>
    <name>MesuraCM</name>
    <message>
        <source>Start CM IQ</source>
        <translation>Inicio IQ del CM</translation>
    </message>
    <message>
        <source>Stop CM IQ</source>
        <translation>Fin IQ del CM</translation>
    </message>
    <message>
        <source>DS demod process</source>
        <translation>Demodulación DS en curso</translation>
    </message>
    <message>
        <source>Time OUT</source>
        <translation>Tiempo agotado</translation>
    </message>
    <message>
        <source> of </source>
        <translation> de </translation>
    </message>
    <message>
        <source>Start Ranging CM</source>
        <translation>Inicio del ranging del CM</translation>
    </message>
    <message>
        <source>Waiting for CM registration</source>
        <translation>Esperando el registro del CM</translation>
    </message>
    <message>
        <source>Restarting CM</source>
        <translation>Reiniciando el CM</translation>
    </message>
    <message>
        <source>Restarting CM in test mode</source>
        <translation>Reiniciando el CM en modo de prueba</translation>
    </message>
    <message>
        <source>No SC-QAM channel at %1 MHz</source>
        <translation>No hay canal SC-QAM en %1 MHz</translation>
    </message>
    <message>
        <source>Change the frequency on RANGING</source>
        <translation>Cambie la frecuencia en RANGING</translation>
    </message>
    <message>
        <source>Start Registering CM</source>
        <translation>Inicio del registro del CM</translation>
    </message>
    <message>
        <source>Registering decoding DOWN</source>
        <translation>Registro: descodificando DESCENDENTE</translation>
    </message>
    <message>
        <source>Registering decoding UP</source>
        <translation>Registro: descodificando ASCENDENTE</translation>
    </message>
    <message>
        <source>Getting IP CM</source>
        <translation>Obteniendo la IP del CM</translation>
    </message>
    <message>
        <source>Ranging decoding DOWN</source>
        <translation>Ranging: descodificando DESCENDENTE</translation>
    </message>
    <message>
        <source>Ranging decoding UP</source>
        <translation>Ranging: descodificando ASCENDENTE</translation>
    </message>
    <message>
        <source>Decoding UP/DOWN CM</source>
        <translation>Descodificando ASC/DESC del CM</translation>
    </message>
    <message>
        <source>Node</source>
        <translation>Nodo</translation>
    </message>
</context>
</TS>
