<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="de">
<context>
    <name>ArchiveWindow</name>
    <message>
        <source>Messung aus dem Archiv löschen?</source>
        <translation>Delete this read from the archive?</translation>
    </message>
    <message>
        <source>Archiv</source>
        <translation>Archive</translation>
    </message>
    <message>
        <source>Gelesen am</source>
        <translation>Read on</translation>
    </message>
    <message>
        <source>Gerät</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>Messwerte</source>
        <translation>Measurements</translation>
    </message>
    <message>
        <source>Vollständig</source>
        <translation>Complete</translation>
    </message>
    <message>
        <source>Exportiert</source>
        <translation>Exported</translation>
    </message>
    <message>
        <source>Öffnen</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Löschen</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Schließen</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Das Archiv ist nur zum Lesen geöffnet.</source>
        <translation>The archive is open for reading only.</translation>
    </message>
    <message>
        <source>ja</source>
        <translation>yes</translation>
    </message>
    <message>
        <source>nein</source>
        <translation>no</translation>
    </message>
    <message>
        <source>unbekannt</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>%1 von %2</source>
        <translation>%1 of %2</translation>
    </message>
    <message>
        <source>%1, Gerät %2, %3 Messwerte</source>
        <translation>%1, device %2, %3 measurements</translation>
    </message>
    <message>
        <source>Nicht gelöscht: %1</source>
        <translation>Not deleted: %1</translation>
    </message>
</context>
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
    <message>
        <source>Die Einstellungen des Geräts sind noch nicht eingelesen</source>
        <translation>The device&apos;s settings have not been read yet</translation>
    </message>
    <message>
        <source>%1: im Gerät %2 statt %3</source>
        <translation>%1: device holds %2, not %3</translation>
    </message>
    <message>
        <source>Einstellungen übertragen und bestätigt</source>
        <translation>Settings written and confirmed</translation>
    </message>
    <message>
        <source>Vom Gerät nicht übernommen: %1</source>
        <translation>Not taken by the device: %1</translation>
    </message>
    <message>
        <source>Keine Bestätigung vom Gerät – bitte Einstellungen einlesen</source>
        <translation>No confirmation from the device – please read the settings</translation>
    </message>
    <message>
        <source>Uhrzeit</source>
        <translation>Clock</translation>
    </message>
    <message>
        <source>Einstellungen nicht vollständig geschrieben – nicht übertragen: %1</source>
        <translation>Settings not completely written – not sent: %1</translation>
    </message>
    <message>
        <source>Speicher nicht gelesen: kein Kalvor 2 verbunden</source>
        <translation>Memory not read: no Kalvor 2 connected</translation>
    </message>
    <message>
        <source>Speicher nicht gelöscht: Verbindung unterbrochen</source>
        <translation>Memory not cleared: connection interrupted</translation>
    </message>
    <message>
        <source>Speicher gelöscht</source>
        <translation>Memory cleared</translation>
    </message>
    <message>
        <source>Speicher nicht gelöscht</source>
        <translation>Memory not cleared</translation>
    </message>
    <message>
        <source>Nicht exportiert: %1 konnte nicht geschrieben werden</source>
        <translation>Not exported: %1 could not be written</translation>
    </message>
    <message>
        <source>ID Nummer</source>
        <translation>ID number</translation>
    </message>
    <message>
        <source>Schwellwert (Aufwachen)</source>
        <translation>Threshold (wake-up)</translation>
    </message>
    <message>
        <source>Dauer</source>
        <translation>Duration</translation>
    </message>
    <message>
        <source>Helligkeit</source>
        <translation>Brightness</translation>
    </message>
    <message>
        <source>Funkkanal</source>
        <translation>Radio channel</translation>
    </message>
    <message>
        <source>Anzahl</source>
        <translation>Number of cycles</translation>
    </message>
    <message>
        <source>Zykluszeit</source>
        <translation>Cycle time</translation>
    </message>
    <message>
        <source>Der Inhalt ließ sich nicht vollständig schreiben.</source>
        <translation>The content could not be written completely.</translation>
    </message>
    <message>
        <source>Keine Berechtigung: Wandler abziehen und wieder einstecken</source>
        <translation>No permission: unplug the converter and plug it in again</translation>
    </message>
    <message>
        <source>Datum und Zeit</source>
        <translation>Date and time</translation>
    </message>
    <message>
        <source>Kraft [kN]</source>
        <translation>Force [kN]</translation>
    </message>
    <message>
        <source>Geräte-ID</source>
        <translation>Device ID</translation>
    </message>
    <message>
        <source>Gerät</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>Seriennummer</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>Firmware</source>
        <translation>Firmware</translation>
    </message>
    <message>
        <source>Kontroll-Datum</source>
        <translation>Check date</translation>
    </message>
    <message>
        <source>Messbereich [kN]</source>
        <translation>Measuring range [kN]</translation>
    </message>
    <message>
        <source>Einträge im Gerät</source>
        <translation>Entries in the device</translation>
    </message>
    <message>
        <source>Messwerte empfangen</source>
        <translation>Measurements received</translation>
    </message>
    <message>
        <source>Vollständig gelesen</source>
        <translation>Read completely</translation>
    </message>
    <message>
        <source>Gelesen am</source>
        <translation>Read on</translation>
    </message>
    <message>
        <source>Exportiert am</source>
        <translation>Exported on</translation>
    </message>
    <message>
        <source>Programm</source>
        <translation>Program</translation>
    </message>
    <message>
        <source>Kraft über der Zeit</source>
        <translation>Force over time</translation>
    </message>
    <message>
        <source>Die Arbeitsmappe ließ sich nicht erstellen. (%1)</source>
        <translation>The workbook could not be made. (%1)</translation>
    </message>
    <message>
        <source>Textdateien (*.txt)</source>
        <translation>Text files (*.txt)</translation>
    </message>
    <message>
        <source>Excel-Arbeitsmappe (*.xlsx)</source>
        <translation>Excel workbook (*.xlsx)</translation>
    </message>
    <message>
        <source>Exportiert: %1</source>
        <translation>Exported: %1</translation>
    </message>
    <message>
        <source>Archiv von einem anderen Programm gesperrt</source>
        <translation>Archive locked by another program</translation>
    </message>
    <message>
        <source>Archiv schreibgeschützt</source>
        <translation>Archive is read-only</translation>
    </message>
    <message>
        <source>Schreib- oder Lesefehler im Archiv</source>
        <translation>Read or write error in the archive</translation>
    </message>
    <message>
        <source>Archiv beschädigt</source>
        <translation>Archive damaged</translation>
    </message>
    <message>
        <source>Datenträger voll</source>
        <translation>Disk full</translation>
    </message>
    <message>
        <source>Archivdatei kann nicht geöffnet werden</source>
        <translation>Archive file cannot be opened</translation>
    </message>
    <message>
        <source>Archivfehler</source>
        <translation>Archive error</translation>
    </message>
    <message>
        <source>Archiv nicht geöffnet</source>
        <translation>Archive not open</translation>
    </message>
    <message>
        <source>Archiv nur lesbar (von einer neueren Programmversion)</source>
        <translation>Archive is read-only (written by a newer version of the program)</translation>
    </message>
    <message>
        <source>Das Archiv %1 kann nicht geöffnet werden: %2</source>
        <translation>The archive %1 cannot be opened: %2</translation>
    </message>
    <message>
        <source>der SQLite-Treiber von Qt fehlt (libqt6sql6-sqlite)</source>
        <translation>Qt&apos;s SQLite driver is missing (libqt6sql6-sqlite)</translation>
    </message>
    <message>
        <source>der Ordner kann nicht angelegt werden</source>
        <translation>the folder cannot be created</translation>
    </message>
    <message>
        <source>Das Archiv %1 war beschädigt. Es wurde nach %2 verschoben, ein neues Archiv wurde angelegt.</source>
        <translation>The archive %1 was damaged. It was moved to %2, and a new archive was started.</translation>
    </message>
    <message>
        <source>das Dateisystem erlaubt kein WAL-Journal</source>
        <translation>the file system does not allow a WAL journal</translation>
    </message>
    <message>
        <source>Das Archiv %1 stammt von einer neueren Version dieses Programms. Es wird nur gelesen; neu gelesene Messwerte werden nicht archiviert.</source>
        <translation>The archive %1 was written by a newer version of this program. It is only read; newly read measurements are not archived.</translation>
    </message>
    <message>
        <source>Lesevorgang %1 nicht im Archiv</source>
        <translation>Read %1 not in the archive</translation>
    </message>
    <message>
        <source>Kein Archiv geöffnet</source>
        <translation>No archive open</translation>
    </message>
    <message>
        <source>Archiv: %1, Gerät %2, %3 Messwerte</source>
        <translation>Archive: %1, device %2, %3 measurements</translation>
    </message>
    <message>
        <source>Nicht im Archiv: %1</source>
        <translation>Not in the archive: %1</translation>
    </message>
    <message>
        <source>Archiv…</source>
        <translation>Archive…</translation>
    </message>
    <message>
        <source>Archiv nicht geöffnet: %1</source>
        <translation>Archive not opened: %1</translation>
    </message>
    <message>
        <source>%1 Messwerte gelesen und im Archiv gesichert</source>
        <translation>%1 measurements read and kept in the archive</translation>
    </message>
    <message>
        <source>%1 Messwerte im Gerät, gelesen und im Archiv gesichert</source>
        <translation>%1 measurements in the device, read and kept in the archive</translation>
    </message>
    <message>
        <source>Das Archiv %1 ist leer</source>
        <translation>The archive %1 is empty</translation>
    </message>
    <message>
        <source>Das Archiv %1 gibt es nicht: mit --archive das richtige nennen</source>
        <translation>The archive %1 does not exist: name the right one with --archive</translation>
    </message>
    <message>
        <source>Archiv: %1</source>
        <translation>Archive: %1</translation>
    </message>
    <message>
        <source>%1 (archive list zeigt die Lesevorgänge)</source>
        <translation>%1 (archive list shows the reads)</translation>
    </message>
    <message>
        <source>Listet die FTDI-Wandler: Anschluss, USB-Seriennummer und ob er sich öffnen lässt.</source>
        <translation>Lists the FTDI converters: port, USB serial number and whether it can be opened.</translation>
    </message>
    <message>
        <source>Liest Seriennummer, Firmware, Kontroll-Datum, Messbereich, Speicherbelegung und die Einstellungen des Geräts, eine Zeile „Schlüssel: Wert“ je Angabe.</source>
        <translation>Reads the device&apos;s serial number, firmware, check date, measuring range, memory usage and settings, one line &quot;key: value&quot; each.</translation>
    </message>
    <message>
        <source>Liest den Messwertspeicher, legt den Lesevorgang im Archiv ab und schreibt die Messwerte: FILE.xlsx als Arbeitsmappe, FILE.txt als Punkt- und Kommadatei, ohne --out oder mit - als Zeilen mit Tabulatoren auf die Standardausgabe.</source>
        <translation>Reads the measurement memory, keeps the read in the archive and writes the measurements: FILE.xlsx as a workbook, FILE.txt as the point and the comma file, without --out or with - as tab-separated lines on standard output.</translation>
    </message>
    <message>
        <source>Stellt die Uhr des Geräts auf Datum und Uhrzeit des PCs.</source>
        <translation>Sets the device&apos;s clock to the PC&apos;s date and time.</translation>
    </message>
    <message>
        <source>Ändert Einstellungen, liest sie zurück und zeigt, was das Gerät nun hält.</source>
        <translation>Changes settings, reads them back and shows what the device now holds.</translation>
    </message>
    <message>
        <source>Löscht den Messwertspeicher des Geräts.</source>
        <translation>Clears the device&apos;s measurement memory.</translation>
    </message>
    <message>
        <source>Listet die Lesevorgänge des Archivs, oder schreibt einen davon wie einen neuen.</source>
        <translation>Lists the archive&apos;s reads, or writes one of them like a fresh read.</translation>
    </message>
    <message>
        <source>Rückgabewerte:
  0  erledigt
  1  Aufruf fehlerhaft
  2  kein Wandler gefunden, er lässt sich nicht öffnen oder ging verloren
  3  das Gerät antwortet nicht (oder übernimmt eine Einstellung nicht)
  4  Speicher unvollständig gelesen (die Messwerte sind trotzdem geschrieben und archiviert)
  5  eine Datei oder das Archiv ließ sich nicht schreiben
</source>
        <translation>Exit status:
  0  done
  1  the command line could not be taken
  2  no converter found, it cannot be opened, or it went away
  3  the device does not answer (or does not take a setting)
  4  memory read incomplete (the measurements are written and archived anyway)
  5  a file or the archive could not be written
</translation>
    </message>
    <message>
        <source>Befehle:</source>
        <translation>Commands:</translation>
    </message>
    <message>
        <source>Der Anschluss des Wandlers (/dev/ttyUSB1), wenn mehrere eingesteckt sind; sonst der erste, der sich öffnen lässt.</source>
        <translation>The converter&apos;s port (/dev/ttyUSB1) when several are plugged in; otherwise the first that opens.</translation>
    </message>
    <message>
        <source>Die Archivdatei, statt der gemeinsamen des Programms (mit --simulate: der des simulierten Geräts).</source>
        <translation>The archive file, instead of the program&apos;s shared one (with --simulate: the simulated device&apos;s).</translation>
    </message>
    <message>
        <source>Ein simuliertes Gerät im Programm statt eines Wandlers, im Tempo der echten Leitung.</source>
        <translation>A simulated device inside the program instead of a converter, at the pace of the real line.</translation>
    </message>
    <message>
        <source>Mit --simulate: so viele Messwerte hält das Gerät, 0 bis %1 (sonst %2).</source>
        <translation>With --simulate: the device holds this many measurements, 0 to %1 (otherwise %2).</translation>
    </message>
    <message>
        <source>Mit --simulate: per-record (ein Bericht je Messwert) oder one-report (alle in einem Bericht).</source>
        <translation>With --simulate: per-record (one report per measurement) or one-report (all in one report).</translation>
    </message>
    <message>
        <source>Mit --simulate: zieht den Wandler so viele Sekunden nach dem Start ab.</source>
        <translation>With --simulate: pulls the converter out so many seconds after the start.</translation>
    </message>
    <message>
        <source>Mit --simulate: steckt ihn so viele Sekunden nach dem Start wieder ein.</source>
        <translation>With --simulate: plugs it back in so many seconds after the start.</translation>
    </message>
    <message>
        <source>Mit --simulate: die Uhr des PCs steht auf diesem Zeitpunkt (2026-12-08T14:05:09), damit zwei Läufe dieselben Dateien schreiben.</source>
        <translation>With --simulate: the PC&apos;s clock stands at this instant (2026-12-08T14:05:09), so that two runs write the same files.</translation>
    </message>
    <message>
        <source>Zeigt diese Hilfe und endet.</source>
        <translation>Shows this help and ends.</translation>
    </message>
    <message>
        <source>Zeigt die Version des Programms und endet.</source>
        <translation>Shows the program&apos;s version and ends.</translation>
    </message>
    <message>
        <source>--%1 gilt nur mit --simulate</source>
        <translation>--%1 applies only with --simulate</translation>
    </message>
    <message>
        <source>--port und --simulate schließen einander aus</source>
        <translation>--port and --simulate exclude each other</translation>
    </message>
    <message>
        <source>--records nimmt eine Zahl von 0 bis %1</source>
        <translation>--records takes a number from 0 to %1</translation>
    </message>
    <message>
        <source>--memory-layout nimmt per-record oder one-report</source>
        <translation>--memory-layout takes per-record or one-report</translation>
    </message>
    <message>
        <source>--%1 nimmt eine Zahl von Sekunden</source>
        <translation>--%1 takes a number of seconds</translation>
    </message>
    <message>
        <source>--clock nimmt Datum und Uhrzeit wie 2026-12-08T14:05:09</source>
        <translation>--clock takes a date and time like 2026-12-08T14:05:09</translation>
    </message>
    <message>
        <source>write-config braucht mindestens ein KEY=VALUE: %1</source>
        <translation>write-config needs at least one KEY=VALUE: %1</translation>
    </message>
    <message>
        <source>Unbekannte Einstellung „%1“; bekannt sind: %2</source>
        <translation>Unknown setting &quot;%1&quot;; known are: %2</translation>
    </message>
    <message>
        <source>%1 nimmt eine ganze Zahl von %2 bis %3, nicht „%4“</source>
        <translation>%1 takes a whole number from %2 to %3, not &quot;%4&quot;</translation>
    </message>
    <message>
        <source>Liest und stellt einen Kalvor II ohne Fenster: dieselbe Arbeit wie das Fenster, für Skripte.</source>
        <translation>Reads and sets a Kalvor II without a window: the same work as the window, for scripts.</translation>
    </message>
    <message>
        <source>Die Datei: .xlsx für die Arbeitsmappe, .txt für die Punkt- und die Kommadatei, - für die Standardausgabe.</source>
        <translation>The file: .xlsx for the workbook, .txt for the point and the comma file, - for standard output.</translation>
    </message>
    <message>
        <source>Löscht den Speicher danach, aber nur wenn alle Messwerte gelesen und Datei und Archiveintrag geschrieben sind.</source>
        <translation>Clears the memory afterwards, but only when every measurement was read and the file and the archive entry are written.</translation>
    </message>
    <message>
        <source>Legt den Lesevorgang nicht im Archiv ab.</source>
        <translation>Does not keep the read in the archive.</translation>
    </message>
    <message>
        <source>Gibt JSON aus.</source>
        <translation>Prints JSON.</translation>
    </message>
    <message>
        <source>Bestätigt das Löschen; ohne --yes wird nichts gelöscht.</source>
        <translation>Confirms the clearing; without --yes nothing is cleared.</translation>
    </message>
    <message>
        <source>Was zu tun ist.</source>
        <translation>What to do.</translation>
    </message>
    <message>
        <source>Einstellungen: %1</source>
        <translation>Settings: %1</translation>
    </message>
    <message>
        <source>Befehl fehlt: list, info, read, set-clock, write-config, clear oder archive (--help zeigt sie)</source>
        <translation>Command missing: list, info, read, set-clock, write-config, clear or archive (--help shows them)</translation>
    </message>
    <message>
        <source>Unbekannter Befehl „%1“ (--help zeigt die Befehle)</source>
        <translation>Unknown command &quot;%1&quot; (--help shows the commands)</translation>
    </message>
    <message>
        <source>%1 nimmt kein Argument „%2“</source>
        <translation>%1 takes no argument &quot;%2&quot;</translation>
    </message>
    <message>
        <source>archive list nimmt kein Argument „%1“</source>
        <translation>archive list takes no argument &quot;%1&quot;</translation>
    </message>
    <message>
        <source>archive export braucht die Nummer eines Lesevorgangs (archive list zeigt sie)</source>
        <translation>archive export needs the number of a read (archive list shows them)</translation>
    </message>
    <message>
        <source>archive braucht list oder export</source>
        <translation>archive needs list or export</translation>
    </message>
    <message>
        <source>--clear-after braucht das Archiv: ohne --no-archive aufrufen</source>
        <translation>--clear-after needs the archive: call without --no-archive</translation>
    </message>
    <message>
        <source>clear löscht den Speicher nur mit --yes</source>
        <translation>clear clears the memory only with --yes</translation>
    </message>
    <message>
        <source>--out nimmt einen Namen auf .xlsx oder .txt, oder -</source>
        <translation>--out takes a name ending in .xlsx or .txt, or -</translation>
    </message>
    <message>
        <source>Den Anschluss %1 gibt es nicht: kalvor2-cli list zeigt die Wandler</source>
        <translation>There is no port %1: kalvor2-cli list shows the converters</translation>
    </message>
    <message>
        <source>Kein FTDI-Wandler gefunden: Kalvor 2 mit seinem Wandler einstecken</source>
        <translation>No FTDI converter found: plug in the Kalvor 2 with its converter</translation>
    </message>
    <message>
        <source>Verbindung zum Wandler unterbrochen: Kabel prüfen und erneut aufrufen</source>
        <translation>Connection to the converter lost: check the cable and run again</translation>
    </message>
    <message>
        <source>Keine Antwort vom Gerät: Kalvor 2 einschalten, Kabel prüfen und erneut aufrufen</source>
        <translation>No answer from the device: switch the Kalvor 2 on, check the cable and run again</translation>
    </message>
    <message>
        <source>%1: Verbindung zum Wandler unterbrochen</source>
        <translation>%1: connection to the converter lost</translation>
    </message>
    <message>
        <source>%1: der Befehl ging nicht hinaus</source>
        <translation>%1: the command did not go out</translation>
    </message>
    <message>
        <source>Uhr nicht gestellt</source>
        <translation>Clock not set</translation>
    </message>
    <message>
        <source>Uhr des Geräts gestellt: %1</source>
        <translation>Device&apos;s clock set: %1</translation>
    </message>
    <message>
        <source>Einstellungen nicht geschrieben</source>
        <translation>Settings not written</translation>
    </message>
    <message>
        <source>bereit</source>
        <translation>ready</translation>
    </message>
    <message>
        <source>Speicher nicht gelöscht: nicht alle Messwerte gelesen</source>
        <translation>Memory not cleared: not every measurement was read</translation>
    </message>
    <message>
        <source>Speicher nicht gelöscht: das Gerät hat die Zahl seiner Messwerte nicht gemeldet</source>
        <translation>Memory not cleared: the device did not report how many measurements it holds</translation>
    </message>
    <message>
        <source>Speicher nicht gelöscht: die Messwerte sind nicht geschrieben</source>
        <translation>Memory not cleared: the measurements are not written</translation>
    </message>
    <message>
        <source>Speicher nicht gelöscht: die Messwerte sind nicht im Archiv</source>
        <translation>Memory not cleared: the measurements are not in the archive</translation>
    </message>
    <message>
        <source>Archiv %1 lässt sich nicht öffnen: %2</source>
        <translation>Archive %1 cannot be opened: %2</translation>
    </message>
    <message>
        <source>Archiv %1 ist von einer neueren Programmversion und wird nicht beschrieben: mit --archive ein anderes nennen</source>
        <translation>Archive %1 is from a newer version of the program and is not written: name another with --archive</translation>
    </message>
    <message>
        <source>Speicher nicht gelesen</source>
        <translation>Memory not read</translation>
    </message>
    <message>
        <source>Lesen abgebrochen</source>
        <translation>Reading cancelled</translation>
    </message>
    <message>
        <source>Die Standardausgabe nimmt die Messwerte nicht an</source>
        <translation>Standard output does not take the measurements</translation>
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
