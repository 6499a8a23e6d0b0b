<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="de">
<context>
    <name>KalvorIIControl</name>
    <message>
        <source>Kalvor II</source>
        <translation>Kalvor II</translation>
    </message>
    <message>
        <source>Einstellungen</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Dauer:</source>
        <translation>Duration:</translation>
    </message>
    <message>
        <source>Helligkeit:</source>
        <translation>Brightness:</translation>
    </message>
    <message>
        <source>[0-31]</source>
        <translation>[0-31]</translation>
    </message>
    <message>
        <source>[5-255]</source>
        <translation>[5-255]</translation>
    </message>
    <message>
        <source>[0-255]</source>
        <translation>[0-255]</translation>
    </message>
    <message>
        <source>Einstellungen setzen</source>
        <translation>Write settings</translation>
    </message>
    <message>
        <source>Einstellungen einlesen</source>
        <translation>Read settings</translation>
    </message>
    <message>
        <source>Werkeinstellung setzen</source>
        <translation>Set factory defaults</translation>
    </message>
    <message>
        <source>ID Nummer:</source>
        <translation>ID number:</translation>
    </message>
    <message>
        <source>Schwellwert (Aufwachen):</source>
        <translation>Threshold (wake-up):</translation>
    </message>
    <message>
        <source>Zeit:</source>
        <translation>Time:</translation>
    </message>
    <message>
        <source>Datum:</source>
        <translation>Date:</translation>
    </message>
    <message>
        <source>[0-4096]</source>
        <translation>[0-4096]</translation>
    </message>
    <message>
        <source>[5-2048]</source>
        <translation>[5-2048]</translation>
    </message>
    <message>
        <source>Anzahl:</source>
        <translation>Number of cycles:</translation>
    </message>
    <message>
        <source>Zykluszeit:</source>
        <translation>Cycle time:</translation>
    </message>
    <message>
        <source>Hülsenposition</source>
        <translation>Sleeve position</translation>
    </message>
    <message>
        <source>Anzeige:</source>
        <translation>Reading:</translation>
    </message>
    <message>
        <source>Dauermessmodus</source>
        <translation>Continuous measuring mode</translation>
    </message>
    <message>
        <source>[mm]</source>
        <translation>[mm]</translation>
    </message>
    <message>
        <source>Messwerte</source>
        <translation>Measurements</translation>
    </message>
    <message>
        <source>Speicherbelegung:</source>
        <translation>Memory usage:</translation>
    </message>
    <message>
        <source>Messung</source>
        <translation>Measurement</translation>
    </message>
    <message>
        <source>Datum</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>Zeit</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Messwert [kN]</source>
        <translation>Force [kN]</translation>
    </message>
    <message>
        <source>Hülsenposition [mm]</source>
        <translation>Sleeve position [mm]</translation>
    </message>
    <message>
        <source>Geraete ID</source>
        <translation>Device ID</translation>
    </message>
    <message>
        <source>Speicher lesen</source>
        <translation>Read memory</translation>
    </message>
    <message>
        <source>Speicher löschen</source>
        <translation>Clear memory</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>Seriennummer
</source>
        <translation>Serial number
</translation>
    </message>
    <message>
        <source>??????</source>
        <translation>??????</translation>
    </message>
    <message>
        <source>Kontroll-Datum
</source>
        <translation>Check date
</translation>
    </message>
    <message>
        <source>??.??.????</source>
        <translation>??.??.????</translation>
    </message>
    <message>
        <source>Firmware
</source>
        <translation>Firmware
</translation>
    </message>
    <message>
        <source>V?.??</source>
        <translation>V?.??</translation>
    </message>
    <message>
        <source>_ Gerät(e) gefunden und _ Gerät verbunden</source>
        <translation>_ device(s) found and _ device connected</translation>
    </message>
    <message>
        <source>Die Datei %1 konnte nicht geschrieben werden:
%2</source>
        <translation>The file %1 could not be written:
%2</translation>
    </message>
</context>
</TS>
