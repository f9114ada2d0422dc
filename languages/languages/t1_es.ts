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
</context>
</TS>
