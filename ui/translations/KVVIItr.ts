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
    <message>
        <source>Lese Messwerte … %1 von %2</source>
        <translation>Reading measurements … %1 of %2</translation>
    </message>
    <message>
        <source>Lese Messwerte … %1 gelesen</source>
        <translation>Reading measurements … %1 read</translation>
    </message>
    <message>
        <source>%1 Messwerte gelesen</source>
        <translation>%1 measurements read</translation>
    </message>
    <message>
        <source>Nur %1 von %2 Messwerten empfangen – bitte erneut lesen</source>
        <translation>Only %1 of %2 measurements received – please read again</translation>
    </message>
    <message>
        <source>Nur %1 Messwerte empfangen – bitte erneut lesen</source>
        <translation>Only %1 measurements received – please read again</translation>
    </message>
    <message>
        <source>Keine Antwort vom Gerät</source>
        <translation>No answer from the device</translation>
    </message>
    <message>
        <source>Keine Messwerte im Gerät</source>
        <translation>No measurements in the device</translation>
    </message>
    <message>
        <source>%1 Messwerte gelesen und exportiert</source>
        <translation>%1 measurements read and exported</translation>
    </message>
    <message>
        <source>%1 Messwerte gelesen, noch nicht exportiert</source>
        <translation>%1 measurements read, not exported yet</translation>
    </message>
    <message>
        <source>%1 Messwerte im Gerät, gelesen und exportiert</source>
        <translation>%1 measurements in the device, read and exported</translation>
    </message>
    <message>
        <source>%1 Messwerte im Gerät, noch nicht exportiert</source>
        <translation>%1 measurements in the device, not exported yet</translation>
    </message>
    <message>
        <source>%1 Messwerte im Gerät, nicht vollständig gelesen</source>
        <translation>%1 measurements in the device, not completely read</translation>
    </message>
    <message>
        <source>Messwerte nicht vollständig gelesen</source>
        <translation>Measurements not completely read</translation>
    </message>
    <message>
        <source>Messwerte noch nicht gelesen</source>
        <translation>Measurements not read yet</translation>
    </message>
    <message>
        <source>Exportiert: %1, Kommadatei nicht geschrieben</source>
        <translation>Exported: %1, comma file not written</translation>
    </message>
    <message>
        <source>Exportiert: %1, %2</source>
        <translation>Exported: %1, %2</translation>
    </message>
    <message>
        <source>Die Datei %1 gibt es schon.</source>
        <translation>The file %1 already exists.</translation>
    </message>
    <message>
        <source>Soll sie durch die Kommadatei dieses Exports ersetzt werden?</source>
        <translation>Replace it with the comma file of this export?</translation>
    </message>
    <message>
        <source>Keine Berechtigung: zur Gruppe „dialout“ hinzufügen und neu anmelden</source>
        <translation>No permission: add yourself to the &quot;dialout&quot; group and log in again</translation>
    </message>
    <message>
        <source>Ein anderes Programm benutzt den Wandler</source>
        <translation>Another program is using the converter</translation>
    </message>
    <message>
        <source>Der Wandler lässt sich nicht öffnen</source>
        <translation>The converter cannot be opened</translation>
    </message>
    <message>
        <source>Kein Kalvor 2 verbunden</source>
        <translation>No Kalvor 2 connected</translation>
    </message>
    <message>
        <source>Während der Speicher gelesen wird, nicht möglich</source>
        <translation>Not possible while the memory is being read</translation>
    </message>
    <message>
        <source>Diagramm</source>
        <translation>Chart</translation>
    </message>
    <message>
        <source>PNG-Bild (*.png)</source>
        <translation>PNG image (*.png)</translation>
    </message>
    <message>
        <source>SVG-Grafik (*.svg)</source>
        <translation>SVG graphic (*.svg)</translation>
    </message>
    <message>
        <source>Diagramm speichern</source>
        <translation>Save chart</translation>
    </message>
    <message>
        <source>Der Dateiname ist zu lang.</source>
        <translation>The file name is too long.</translation>
    </message>
    <message>
        <source>Den Ordner gibt es nicht.</source>
        <translation>The folder does not exist.</translation>
    </message>
    <message>
        <source>Unter diesem Namen steht ein Ordner.</source>
        <translation>A folder has that name.</translation>
    </message>
    <message>
        <source>Der Ordner liegt auf einem schreibgeschützten Datenträger.</source>
        <translation>The folder is on a read-only drive.</translation>
    </message>
    <message>
        <source>Keine Berechtigung, in diesem Ordner zu schreiben.</source>
        <translation>No permission to write in this folder.</translation>
    </message>
    <message>
        <source>Der Datenträger ist voll.</source>
        <translation>The drive is full.</translation>
    </message>
    <message>
        <source>Die Datei wäre größer, als der Datenträger erlaubt.</source>
        <translation>The file would be larger than the drive allows.</translation>
    </message>
    <message>
        <source>Die Datei ließ sich nicht schreiben.</source>
        <translation>The file could not be written.</translation>
    </message>
    <message>
        <source>Erst die Einstellungen einlesen oder die Werkeinstellung setzen</source>
        <translation>Read the settings or set the factory defaults first</translation>
    </message>
    <message>
        <source>Speicher nicht gelöscht: kein Kalvor 2 verbunden</source>
        <translation>Memory not cleared: no Kalvor 2 connected</translation>
    </message>
</context>
<context>
    <name>MeasurementChart</name>
    <message>
        <source>Verlauf</source>
        <translation>Trend</translation>
    </message>
    <message>
        <source>Kraft über Position</source>
        <translation>Force over position</translation>
    </message>
    <message>
        <source>Diagramm speichern…</source>
        <translation>Save chart…</translation>
    </message>
    <message>
        <source>Kraft [kN]</source>
        <translation>Force [kN]</translation>
    </message>
    <message>
        <source>Hülsenposition [mm]</source>
        <translation>Sleeve position [mm]</translation>
    </message>
    <message>
        <source>%1 Messwerte mit ungültigen Zahlen sind nicht im Diagramm.</source>
        <translation>%1 measurements with invalid numbers are not in the chart.</translation>
    </message>
    <message>
        <source>Messung</source>
        <translation>Measurement</translation>
    </message>
    <message>
        <source>ohne gültige Zeit</source>
        <translation>without a valid time</translation>
    </message>
    <message>
        <source>Messung %1, %2
%3 kN, %4 mm</source>
        <translation>Measurement %1, %2
%3 kN, %4 mm</translation>
    </message>
    <message>
        <source>Das Bild konnte nicht vollständig geschrieben werden.</source>
        <translation>The image could not be written completely.</translation>
    </message>
    <message>
        <source>Seriennummer %1</source>
        <translation>Serial number %1</translation>
    </message>
    <message>
        <source>gelesen am %1 um %2</source>
        <translation>read on %1 at %2</translation>
    </message>
    <message>
        <source>Messwerte: %1</source>
        <translation>Measurements: %1</translation>
    </message>
    <message>
        <source>Keine Messwerte</source>
        <translation>No measurements</translation>
    </message>
    <message>
        <source>%1 bis %2</source>
        <translation>%1 to %2</translation>
    </message>
    <message>
        <source>Hülsenposition %1 bis %2 mm</source>
        <translation>Sleeve position %1 to %2 mm</translation>
    </message>
    <message>
        <source>Kraft %1 bis %2 kN (Mittel %3)</source>
        <translation>Force %1 to %2 kN (mean %3)</translation>
    </message>
</context>
</TS>
