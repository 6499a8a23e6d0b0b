<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="de">
<context>
    <name>KalvorIIControl</name>
    <message>
        <location filename="../kalvor2control.ui" line="+20"/>
        <source>Kalvor II</source>
        <translation>Kalvor II</translation>
    </message>
    <message>
        <location line="+52"/>
        <source>Einstellungen</source>
        <translation>Settings</translation>
    </message>
    <message>
        <location line="+46"/>
        <source>Dauer:</source>
        <translation>Duration:</translation>
    </message>
    <message>
        <location line="+116"/>
        <source>Helligkeit:</source>
        <translation>Brightness:</translation>
    </message>
    <message>
        <location line="+119"/>
        <source>[0-31]</source>
        <translation>[0-31]</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>[5-255]</source>
        <translation>[5-255]</translation>
    </message>
    <message>
        <location line="+23"/>
        <location line="+23"/>
        <source>[0-255]</source>
        <translation>[0-255]</translation>
    </message>
    <message>
        <location line="+30"/>
        <source>Einstellungen setzen</source>
        <translation>Write settings</translation>
    </message>
    <message>
        <location line="+33"/>
        <source>Einstellungen einlesen</source>
        <translation>Read settings</translation>
    </message>
    <message>
        <location line="+216"/>
        <source>Werkeinstellung setzen</source>
        <translation>Set factory defaults</translation>
    </message>
    <message>
        <location line="+29"/>
        <source>ID Nummer:</source>
        <translation>ID number:</translation>
    </message>
    <message>
        <location line="+32"/>
        <source>Schwellwert (Aufwachen):</source>
        <translation>Threshold (wake-up):</translation>
    </message>
    <message>
        <location line="+29"/>
        <source>Zeit:</source>
        <translation>Time:</translation>
    </message>
    <message>
        <location line="+87"/>
        <source>Datum:</source>
        <translation>Date:</translation>
    </message>
    <message>
        <location line="+348"/>
        <source>[0-4096]</source>
        <translation>[0-4096]</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>[5-2048]</source>
        <translation>[5-2048]</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>Anzahl:</source>
        <translation>Number of cycles:</translation>
    </message>
    <message>
        <location line="+29"/>
        <source>Zykluszeit:</source>
        <translation>Cycle time:</translation>
    </message>
    <message>
        <location line="+29"/>
        <source>Hülsenposition</source>
        <translation>Sleeve position</translation>
    </message>
    <message>
        <location line="+26"/>
        <source>Anzeige:</source>
        <translation>Reading:</translation>
    </message>
    <message>
        <location line="+29"/>
        <source>Dauermessmodus</source>
        <translation>Continuous measuring mode</translation>
    </message>
    <message>
        <location line="+122"/>
        <source>[mm]</source>
        <translation>[mm]</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>Messwerte</source>
        <translation>Measurements</translation>
    </message>
    <message>
        <location line="+38"/>
        <source>Speicherbelegung:</source>
        <translation>Memory usage:</translation>
    </message>
    <message>
        <location line="+41"/>
        <source>Messung</source>
        <translation>Measurement</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Datum</source>
        <translation>Date</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Zeit</source>
        <translation>Time</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Messwert [kN]</source>
        <translation>Force [kN]</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Hülsenposition [mm]</source>
        <translation>Sleeve position [mm]</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Geraete ID</source>
        <translation>Device ID</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>Speicher lesen</source>
        <translation>Read memory</translation>
    </message>
    <message>
        <location line="+30"/>
        <source>Speicher löschen</source>
        <translation>Clear memory</translation>
    </message>
    <message>
        <location line="+30"/>
        <source>Export</source>
        <translation>Export</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>Seriennummer
</source>
        <translation>Serial number
</translation>
    </message>
    <message>
        <location line="+27"/>
        <source>??????</source>
        <translation>??????</translation>
    </message>
    <message>
        <location line="+26"/>
        <source>Kontroll-Datum
</source>
        <translation>Check date
</translation>
    </message>
    <message>
        <location line="+27"/>
        <source>??.??.????</source>
        <translation>??.??.????</translation>
    </message>
    <message>
        <location line="+27"/>
        <source>Firmware
</source>
        <translation>Firmware
</translation>
    </message>
    <message>
        <location line="+27"/>
        <source>V?.??</source>
        <translation>V?.??</translation>
    </message>
    <message>
        <location line="+26"/>
        <source>_ Gerät(e) gefunden und _ Gerät verbunden</source>
        <translation>_ device(s) found and _ device connected</translation>
    </message>
</context>
</TS>
