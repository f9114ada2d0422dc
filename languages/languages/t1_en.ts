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
</context>
</TS>
