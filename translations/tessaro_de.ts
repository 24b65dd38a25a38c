<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>QDialog</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>TessaroJoin</name>
    <message>
        <source>Write the joined file to OUTPUT (required).</source>
        <translation>Die zusammengefügte Datei nach OUTPUT schreiben (erforderlich).</translation>
    </message>
    <message>
        <source>Join the files listed in the workspace file WORKSPACE.twk instead of INPUT...; its tag values serve --tag unless the options below override them.</source>
        <translation>Statt INPUT... die in der Arbeitsbereichsdatei WORKSPACE.twk aufgeführten Dateien zusammenfügen; ihre Tag-Werte gelten für --tag, sofern die Optionen unten sie nicht ersetzen.</translation>
    </message>
    <message>
        <source>Show no progress bar and no summary.</source>
        <translation>Weder Fortschrittsbalken noch Zusammenfassung anzeigen.</translation>
    </message>
    <message>
        <source>Write an ID3 tag with the values below into the output.</source>
        <translation>Einen ID3-Tag mit den Werten unten in die Ausgabe schreiben.</translation>
    </message>
    <message>
        <source>Album of the tag.</source>
        <translation>Album des Tags.</translation>
    </message>
    <message>
        <source>Artist of the tag.</source>
        <translation>Interpret des Tags.</translation>
    </message>
    <message>
        <source>Title of the tag.</source>
        <translation>Titel des Tags.</translation>
    </message>
    <message>
        <source>Year of the tag; 0 or less writes none.</source>
        <translation>Jahr des Tags; bei 0 oder weniger wird keins geschrieben.</translation>
    </message>
    <message>
        <source>Comment of the tag.</source>
        <translation>Kommentar des Tags.</translation>
    </message>
    <message>
        <source>Genre of the tag.</source>
        <translation>Genre des Tags.</translation>
    </message>
    <message>
        <source>Album artist of the tag.</source>
        <translation>Album-Interpret des Tags.</translation>
    </message>
    <message>
        <source>Composer of the tag (where audiobook tools file the narrator).</source>
        <translation>Komponist des Tags (wo Hörbuch-Programme den Sprecher ablegen).</translation>
    </message>
    <message>
        <source>Put the JPEG or PNG picture FILE into the output&apos;s tag as its front cover.</source>
        <translation>Das JPEG- oder PNG-Bild FILE als Titelbild in den Tag der Ausgabe aufnehmen.</translation>
    </message>
    <message>
        <source>Join the inputs in ORDER instead of the order given: natural, by their file names with numbers by value (&quot;Chapter 2&quot; before &quot;Chapter 10&quot;); or track, by the disc and track numbers of their tags, those alike or untagged by name.</source>
        <translation>Die Eingaben in der Reihenfolge ORDER statt der angegebenen zusammenfügen: natural, nach ihren Dateinamen mit Zahlen nach ihrem Wert („Kapitel 2“ vor „Kapitel 10“); oder track, nach den CD- und Titelnummern ihrer Tags, gleiche oder ungetaggte nach Namen.</translation>
    </message>
    <message>
        <source>Joins MP3 files into one without re-encoding: every MPEG audio frame of every input is
copied byte for byte, in the order given; the inputs&apos; own tags and any bytes outside
frames are left behind, and so is each input&apos;s own Xing, Info or VBRI header frame but
the first one&apos;s, which is rewritten to describe the whole output. The output is
written to a temporary file beside it and replaces an existing file only once the
join is complete.</source>
        <translation>Fügt MP3-Dateien ohne Neukodierung zu einer zusammen: Jeder MPEG-Audio-Frame jeder
Eingabe wird Byte für Byte in der angegebenen Reihenfolge kopiert; die eigenen Tags der
Eingaben und alle Bytes außerhalb von Frames bleiben zurück, ebenso der Xing-, Info- oder
VBRI-Header-Frame jeder Eingabe außer dem der ersten, der so neu geschrieben wird, dass er
die ganze Ausgabe beschreibt. Die Ausgabe wird in eine temporäre Datei daneben
geschrieben und ersetzt eine vorhandene Datei erst, wenn das Zusammenfügen vollständig ist.</translation>
    </message>
    <message>
        <source>The MP3 files to join, first to last; a folder stands for the MPEG audio files under it.</source>
        <translation>Die zusammenzufügenden MP3-Dateien, von der ersten bis zur letzten; ein Ordner steht für die MPEG-Audiodateien darin.</translation>
    </message>
    <message>
        <source>Carry the picture of the first joined input that has one (its front cover, else its first) into the output&apos;s tag.</source>
        <translation>Das Bild der ersten zusammengefügten Eingabe, die eines hat (ihr Titelbild, sonst ihr erstes), in den Tag der Ausgabe übernehmen.</translation>
    </message>
    <message>
        <source>Join the inputs without the silence their encoders put at both ends: the few frames around each join are decoded and encoded anew. Inputs whose headers do not tell that silence, or of different formats, are joined as they are, with a warning.</source>
        <translation>Die Eingaben ohne die Stille zusammenfügen, die ihre Encoder an beiden Enden einfügen: Die wenigen Frames um jede Naht werden dekodiert und neu kodiert. Eingaben, deren Header diese Stille nicht angeben, oder Eingaben verschiedener Formate werden mit einer Warnung so zusammengefügt, wie sie sind.</translation>
    </message>
    <message>
        <source>Level the loudness of the inputs to LUFS (alone, --level aims at -18, ReplayGain 2.0&apos;s reference) by changing the gain their frames carry, in steps of 1.5 dB: no re-encoding. An input gets less gain where more would clip its peaks. The output&apos;s tag tells its ReplayGain.</source>
        <translation>Die Lautheit der Eingaben auf LUFS angleichen (allein zielt --level auf -18, den Bezugswert von ReplayGain 2.0), indem die Verstärkung in ihren Frames in Schritten von 1,5 dB geändert wird: ohne Neukodierung. Eine Eingabe erhält weniger Verstärkung, wo mehr ihre Spitzen übersteuern würde. Der Tag der Ausgabe nennt ihr ReplayGain.</translation>
    </message>
    <message>
        <source>Re-encode inputs of another format (MPEG version, layer, sampling rate or channel count), or whose frames change format, to match the first input, which must be of Layer III: each is decoded, resampled, mixed to its channels and encoded in its format, and runs into its neighbours without gap. The other inputs are copied as ever.</source>
        <translation>Eingaben anderen Formats (MPEG-Version, Layer, Abtastrate oder Kanalzahl) oder solche, deren Frames das Format wechseln, passend zur ersten Eingabe neu kodieren, die Layer III sein muss: Jede wird dekodiert, umgetastet, auf deren Kanäle gemischt und in deren Format kodiert und geht lückenlos in ihre Nachbarn über. Die übrigen Eingaben werden wie immer kopiert.</translation>
    </message>
    <message>
        <source>Write the tag, chapters and cover included, as ID3v2.3, which Windows and many older players read, instead of ID3v2.4.</source>
        <translation>Den Tag samt Kapiteln und Titelbild als ID3v2.3 schreiben, das Windows und viele ältere Player lesen, statt als ID3v2.4.</translation>
    </message>
    <message>
        <source>Take the output&apos;s chapters from FILE, each starting on the joined timeline as players show it: %1, told by its contents. A file whose times do not increase or pass the end of the audio is refused.</source>
        <translation>Die Kapitel der Ausgabe aus FILE nehmen, jedes mit seinem Beginn auf der zusammengefügten Zeitachse, wie Player ihn zeigen: %1, am Inhalt erkannt. Eine Datei, deren Zeiten nicht ansteigen oder über das Ende des Tons hinausgehen, wird abgelehnt.</translation>
    </message>
    <message>
        <source>Write the output&apos;s chapters to FILE (with neither option above: a chapter for each joined input), in the form its extension names: .cue, .json, .ffmeta or .ffmetadata, .labels (Audacity&apos;s), or lines &quot;HH:MM:SS.mmm Title&quot; for any other, .txt included.</source>
        <translation>Die Kapitel der Ausgabe nach FILE schreiben (ohne eine der beiden Optionen oben: ein Kapitel je zusammengefügter Eingabe), in der Form, die die Endung nennt: .cue, .json, .ffmeta oder .ffmetadata, .labels (die von Audacity) oder Zeilen „HH:MM:SS.mmm Titel“ für jede andere, .txt eingeschlossen.</translation>
    </message>
    <message>
        <source>Write the output even though its name ends in the extension of another audio format (.m4b, .m4a, .aac, .ogg, .opus, .flac, .wav); it holds MP3 audio all the same.</source>
        <translation>Die Ausgabe auch dann schreiben, wenn ihr Name auf die Endung eines anderen Audioformats endet (.m4b, .m4a, .aac, .ogg, .opus, .flac, .wav); sie enthält trotzdem MP3-Audio.</translation>
    </message>
    <message>
        <source>Join each INPUT, a folder, into a file of its own: OUTPUT is a folder, and the files under FOLDER go to OUTPUT/FOLDER.mp3, with the same options, one folder after the other. A folder that fails does not stop the others; the exit status is the worst of theirs, and a summary names each one&apos;s result. Not with -w, --chapter-file or --export-chapters.</source>
        <translation>Jede EINGABE, einen Ordner, zu einer eigenen Datei zusammenfügen: OUTPUT ist ein Ordner, und die Dateien unter ORDNER kommen nach OUTPUT/ORDNER.mp3, mit denselben Optionen, ein Ordner nach dem anderen. Ein Ordner, der scheitert, hält die anderen nicht auf; der Exit-Status ist der schlechteste von allen, und eine Zusammenfassung nennt das Ergebnis jedes Ordners. Nicht mit -w, --chapter-file oder --export-chapters.</translation>
    </message>
    <message>
        <source>Read the chapter file and write the exported chapters as FORMAT: %1. Without it, the chapter file&apos;s contents and the exported file&apos;s extension tell.</source>
        <translation>Die Kapiteldatei als FORMAT lesen und die exportierten Kapitel so schreiben: %1. Ohne diese Option entscheiden der Inhalt der Kapiteldatei und die Endung der exportierten Datei.</translation>
    </message>
    <message>
        <source>Put SECONDS of silence between every two inputs: frames of digital silence encoded in the first input&apos;s format, never a chapter of their own. The silence the inputs&apos; encoders left at their ends counts towards it, so that what is heard between two inputs is SECONDS within a frame, and to the sample with --seamless.</source>
        <translation>SECONDS Sekunden Stille zwischen je zwei Eingaben setzen: Frames digitaler Stille im Format der ersten Eingabe kodiert, nie ein eigenes Kapitel. Die Stille, die die Kodierer der Eingaben an deren Enden gelassen haben, zählt mit, sodass zwischen zwei Eingaben SECONDS bis auf einen Frame zu hören ist, mit --seamless aufs Sample genau.</translation>
    </message>
    <message>
        <source>With --level: track (as without this option) levels each input alone; album gives every input the one gain that brings the whole join, gated over all inputs as ReplayGain&apos;s album gain is, nearest to the target, less where more would clip the highest peak. An album&apos;s quiet pieces stay as much quieter as they were.</source>
        <translation>Mit --level: track (wie ohne diese Option) gleicht jede Eingabe für sich an; album gibt jeder Eingabe dieselbe Verstärkung, die das Ganze, über alle Eingaben gegatet wie die Album-Verstärkung von ReplayGain, dem Ziel am nächsten bringt, weniger, wo mehr die höchste Spitze übersteuern würde. Die leisen Stücke eines Albums bleiben so viel leiser, wie sie waren.</translation>
    </message>
    <message>
        <source>Copy into the output&apos;s tag every text frame all joined inputs share (album, artist, album artist, genre, year, composer, comment, ...), but their titles, track and disc numbers and ReplayGain; a tag without a title is titled with the album. A frame the inputs disagree on, or that some lack, is left out with a warning naming the values; with =first, it is taken from the first input that has it. The values typed above win.</source>
        <translation>Jeden Textframe, den alle zusammengefügten Eingaben teilen (Album, Interpret, Album-Interpret, Genre, Jahr, Komponist, Kommentar, ...), in den Tag der Ausgabe übernehmen, außer ihren Titeln, Titel- und CD-Nummern und ReplayGain; ein Tag ohne Titel erhält das Album als Titel. Ein Frame, in dem die Eingaben abweichen oder der einigen fehlt, wird mit einer Warnung, die die Werte nennt, weggelassen; mit =first wird er von der ersten Eingabe genommen, die ihn hat. Die oben eingegebenen Werte gehen vor.</translation>
    </message>
    <message>
        <source>lines &quot;HH:MM:SS.mmm Title&quot; (or &quot;MM:SS Title&quot;)</source>
        <translation>Zeilen „HH:MM:SS.mmm Titel“ (oder „MM:SS Titel“)</translation>
    </message>
    <message>
        <source>a CUE sheet</source>
        <translation>eine CUE-Datei</translation>
    </message>
    <message>
        <source>ffmpeg&apos;s FFMETADATA</source>
        <translation>FFMETADATA von ffmpeg</translation>
    </message>
    <message>
        <source>Podcasting 2.0 JSON chapters</source>
        <translation>Podcasting-2.0-JSON-Kapitel</translation>
    </message>
    <message>
        <source>Audacity labels</source>
        <translation>Audacity-Textmarken</translation>
    </message>
    <message>
        <source>(&quot;HH:MM:SS.mmm Title&quot;)</source>
        <translation>(„HH:MM:SS.mmm Titel“)</translation>
    </message>
    <message>
        <source>(a CUE sheet)</source>
        <translation>(eine CUE-Datei)</translation>
    </message>
    <message>
        <source>(ffmpeg&apos;s)</source>
        <translation>(die von ffmpeg)</translation>
    </message>
    <message>
        <source>(Podcasting 2.0 chapters)</source>
        <translation>(Podcasting-2.0-Kapitel)</translation>
    </message>
    <message>
        <source>(Audacity&apos;s)</source>
        <translation>(die von Audacity)</translation>
    </message>
    <message>
        <source>%1 or %2</source>
        <translation>%1 oder %2</translation>
    </message>
    <message>
        <source>Add a chapter for each joined input to the output&apos;s tag, titled with the input&apos;s own title or, without one, its file name. With =title, one chapter for each run of inputs whose titles agree once a trailing part or track number is left out (&quot;Chapter 3 (1/2)&quot;, &quot;Chapter 3 - Part 2&quot;). With =silence, a chapter where the audio starts and one in the middle of each silence of an input that lasts %1 seconds or more (=silence=SECONDS: SECONDS or more), titled &quot;Chapter 1&quot;, &quot;Chapter 2&quot;, ..., as one long recording pauses between its parts.</source>
        <translation>Dem Tag der Ausgabe für jede zusammengefügte Eingabe ein Kapitel hinzufügen, benannt nach dem Titel der Eingabe oder, ohne einen, nach ihrem Dateinamen. Mit =title ein Kapitel für jede Folge von Eingaben, deren Titel ohne eine nachgestellte Teil- oder Titelnummer übereinstimmen („Kapitel 3 (1/2)“, „Kapitel 3 - Teil 2“). Mit =silence ein Kapitel, wo der Ton beginnt, und eines in der Mitte jeder Stille einer Eingabe, die %1 Sekunden oder länger dauert (=silence=SECONDS: SECONDS oder länger), benannt „Chapter 1“, „Chapter 2“, ..., so wie eine lange Aufnahme zwischen ihren Teilen pausiert.</translation>
    </message>
    <message>
        <source>With --chapters=silence: what is quieter than DB dBFS (0 being full scale; %1 without this option) is silence, the level of the loudest channel measured in blocks of 10 ms, so that neither dither nor a single click breaks a silence.</source>
        <translation>Mit --chapters=silence: Was leiser als DB dBFS ist (0 ist Vollaussteuerung; ohne diese Option %1), ist Stille, gemessen am Pegel des lautesten Kanals in Blöcken von 10 ms, sodass weder Dither noch ein einzelnes Knacken eine Stille unterbricht.</translation>
    </message>
</context>
<context>
    <name>TessaroSplit</name>
    <message>
        <source>Print nothing but warnings and errors.</source>
        <translation>Nichts als Warnungen und Fehler ausgeben.</translation>
    </message>
    <message>
        <source>Cut at the chapters of INPUT&apos;s own tag, each part titled with its chapter (the default).</source>
        <translation>An den Kapiteln aus dem Tag von INPUT schneiden, jeden Teil mit dem Titel seines Kapitels (die Voreinstellung).</translation>
    </message>
    <message>
        <source>Cut at the chapters of FILE, in any form tessaro-join reads, titled with them.</source>
        <translation>An den Kapiteln von FILE schneiden, in jeder Form, die tessaro-join liest, mit deren Titeln.</translation>
    </message>
    <message>
        <source>Cut at each TIME, given as HH:MM:SS.mmm, MM:SS or seconds, increasing.</source>
        <translation>An jeder Zeit TIME schneiden, angegeben als HH:MM:SS.mmm, MM:SS oder Sekunden, aufsteigend.</translation>
    </message>
    <message>
        <source>Cut into parts of DURATION each (as TIME), the last holding what is left.</source>
        <translation>In Teile von je DURATION (wie TIME) schneiden; der letzte enthält den Rest.</translation>
    </message>
    <message>
        <source>Cut in the middle of every silence at least SECONDS long (2 unless given).</source>
        <translation>In der Mitte jeder Stille schneiden, die mindestens SECONDS Sekunden dauert (ohne Angabe 2).</translation>
    </message>
    <message>
        <source>With --at-silence: what stays below DB dBFS is silence (-50 unless given).</source>
        <translation>Mit --at-silence: Was unter DB dBFS bleibt, ist Stille (ohne Angabe -50).</translation>
    </message>
    <message>
        <source>Write the parts into FOLDER, which must exist (INPUT&apos;s own folder unless given).</source>
        <translation>Die Teile in den Ordner FOLDER schreiben, der bestehen muss (ohne Angabe der Ordner von INPUT).</translation>
    </message>
    <message>
        <source>Name the parts by PATTERN: {n} the part&apos;s number (zero-padded), {title} its title, {album} the album; &quot;{n} {title}.mp3&quot; unless given, &quot;{n}.mp3&quot; for a part without a title.</source>
        <translation>Die Teile nach PATTERN benennen: {n} die Nummer des Teils (mit führenden Nullen), {title} sein Titel, {album} das Album; ohne Angabe &quot;{n} {title}.mp3&quot;, &quot;{n}.mp3&quot; für einen Teil ohne Titel.</translation>
    </message>
    <message>
        <source>Write the parts&apos; tags as ID3v2.3 instead of ID3v2.4.</source>
        <translation>Die Tags der Teile als ID3v2.3 statt ID3v2.4 schreiben.</translation>
    </message>
    <message>
        <source>Replace files that stand where the parts go.</source>
        <translation>Dateien ersetzen, die dort stehen, wohin die Teile kommen.</translation>
    </message>
    <message>
        <source>Splits an MP3 file into parts without re-encoding: every frame copied byte for byte but the few at a cut, rebuilt to decode alone, each part decoding to exactly the samples between its cut points.</source>
        <translation>Teilt eine MP3-Datei ohne Neukodierung in Teile: Jeder Frame wird Byte für Byte kopiert, bis auf die wenigen an einem Schnitt, die so neu aufgebaut werden, dass sie allein dekodierbar sind; jeder Teil ergibt genau die Samples zwischen seinen Schnittpunkten.</translation>
    </message>
    <message>
        <source>The file to split.</source>
        <translation>Die aufzuteilende Datei.</translation>
    </message>
</context>
<context>
    <name>tessaro::AboutDialog</name>
    <message>
        <source>About ...</source>
        <translation>Über ...</translation>
    </message>
    <message>
        <source>Copyright © 2026 Veskaro Technology</source>
        <translation>Copyright © 2026 Veskaro Technology</translation>
    </message>
</context>
<context>
    <name>tessaro::ChapterCommands</name>
    <message>
        <source>Chapter files (%1)</source>
        <translation>Kapiteldateien (%1)</translation>
    </message>
    <message>
        <source>Import Chapters</source>
        <translation>Kapitel importieren</translation>
    </message>
    <message>
        <source>Cannot import chapters from %1: %2</source>
        <translation>Kapitel aus %1 können nicht importiert werden: %2</translation>
    </message>
    <message>
        <source>1 chapter from &quot;%1&quot; goes into the next merged file.</source>
        <translation>1 Kapitel aus „%1“ kommt in die nächste zusammengefügte Datei.</translation>
    </message>
    <message>
        <source>%1 chapters from &quot;%2&quot; go into the next merged file.</source>
        <translation>%1 Kapitel aus „%2“ kommen in die nächste zusammengefügte Datei.</translation>
    </message>
    <message>
        <source>Export Chapters</source>
        <translation>Kapitel exportieren</translation>
    </message>
    <message>
        <source>The file merged last has no chapters. Turn on &quot;Add a chapter for each input file&quot; in File &gt; Preferences, or import a chapter file, and merge.</source>
        <translation>Die zuletzt zusammengefügte Datei hat keine Kapitel. Schalten Sie „Für jede Eingabedatei ein Kapitel anlegen“ unter Datei &gt; Einstellungen ein oder importieren Sie eine Kapiteldatei, und fügen Sie zusammen.</translation>
    </message>
    <message>
        <source>Cannot export the chapters to %1: %2</source>
        <translation>Die Kapitel können nicht nach %1 exportiert werden: %2</translation>
    </message>
    <message>
        <source>Chapters exported to &quot;%1&quot;.</source>
        <translation>Kapitel nach „%1“ exportiert.</translation>
    </message>
    <message>
        <source>Clear Imported Chapters</source>
        <translation>Importierte Kapitel verwerfen</translation>
    </message>
    <message>
        <source>Start Chapter Here</source>
        <translation>Kapitel hier beginnen</translation>
    </message>
    <message>
        <source>Join with Previous Chapter</source>
        <translation>Mit vorigem Kapitel vereinen</translation>
    </message>
    <message>
        <source>Rename Chapter</source>
        <translation>Kapitel umbenennen</translation>
    </message>
</context>
<context>
    <name>tessaro::ChapterListModel</name>
    <message>
        <source>Start</source>
        <translation>Beginn</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Entries</source>
        <translation>Einträge</translation>
    </message>
</context>
<context>
    <name>tessaro::ChapterPane</name>
    <message>
        <source>Chapters</source>
        <translation>Kapitel</translation>
    </message>
</context>
<context>
    <name>tessaro::ChapterPreview</name>
    <message>
        <source>Not enough memory to start a thread for %1</source>
        <translation>Nicht genug Speicher, um einen Thread für %1 zu starten</translation>
    </message>
</context>
<context>
    <name>tessaro::CoverWell</name>
    <message>
        <source>Cover</source>
        <translation>Titelbild</translation>
    </message>
    <message>
        <source>Drop a picture here</source>
        <translation>Bild hier ablegen</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keines</translation>
    </message>
    <message>
        <source>%1 × %2 pixels</source>
        <translation>%1 × %2 Pixel</translation>
    </message>
</context>
<context>
    <name>tessaro::DesktopProgress</name>
    <message>
        <source>%1 % — %2 — %3</source>
        <translation>%1 % — %2 — %3</translation>
    </message>
    <message>
        <source>Merge finished</source>
        <translation>Zusammenfügen beendet</translation>
    </message>
    <message>
        <source>Merge cancelled</source>
        <translation>Zusammenfügen abgebrochen</translation>
    </message>
    <message>
        <source>Merge failed</source>
        <translation>Zusammenfügen fehlgeschlagen</translation>
    </message>
</context>
<context>
    <name>tessaro::FactReader</name>
    <message>
        <source>Not enough memory to start a thread for %1</source>
        <translation>Nicht genug Speicher, um einen Thread für %1 zu starten</translation>
    </message>
</context>
<context>
    <name>tessaro::HelpCommands</name>
    <message>
        <source>No program for compiled HTML help is installed to open the help file %1. Install xchm or kchmviewer, for example with: sudo apt-get install xchm</source>
        <translation>Es ist kein Programm für kompilierte HTML-Hilfe installiert, das die Hilfedatei %1 öffnen kann. Installieren Sie xchm oder kchmviewer, zum Beispiel mit: sudo apt-get install xchm</translation>
    </message>
    <message>
        <source>The help file %1 is missing.</source>
        <translation>Die Hilfedatei %1 fehlt.</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>No web browser was found either to read the same guide, %1. Install one, for example with: sudo apt-get install firefox-esr</source>
        <translation>Es wurde auch kein Webbrowser gefunden, um dieselbe Anleitung, %1, zu lesen. Installieren Sie einen, zum Beispiel mit: sudo apt-get install firefox-esr</translation>
    </message>
    <message>
        <source>The same guide can be read in your web browser.</source>
        <translation>Dieselbe Anleitung kann in Ihrem Webbrowser gelesen werden.</translation>
    </message>
    <message>
        <source>Open in Browser</source>
        <translation>Im Browser öffnen</translation>
    </message>
    <message>
        <source>Cannot start a web browser for %1.</source>
        <translation>Für %1 kann kein Webbrowser gestartet werden.</translation>
    </message>
    <message>
        <source>Visit Veskaro Technology</source>
        <translation>Veskaro Technology besuchen</translation>
    </message>
</context>
<context>
    <name>tessaro::JoinController</name>
    <message>
        <source>Not enough memory to start a thread for %1</source>
        <translation>Nicht genug Speicher, um einen Thread für %1 zu starten</translation>
    </message>
    <message>
        <source>merge process has been finished!</source>
        <translation>Das Zusammenfügen ist abgeschlossen!</translation>
    </message>
    <message>
        <source>The ID3 tag was not written, as &quot;Save ID3 tag&quot; is off: turn it on in File &gt; Preferences.</source>
        <translation>Der ID3-Tag wurde nicht geschrieben, da „ID3-Tag speichern“ ausgeschaltet ist: Schalten Sie es unter Datei &gt; Einstellungen ein.</translation>
    </message>
    <message>
        <source>Joined 1 file into %1 (%2)</source>
        <translation>1 Datei zu %1 zusammengefügt (%2)</translation>
    </message>
    <message>
        <source>Joined %1 files into %2 (%3)</source>
        <translation>%1 Dateien zu %2 zusammengefügt (%3)</translation>
    </message>
    <message>
        <source>1 warning</source>
        <translation>1 Warnung</translation>
    </message>
    <message>
        <source>%1 warnings</source>
        <translation>%1 Warnungen</translation>
    </message>
    <message numerus="yes">
        <source>%n chapters</source>
        <translation>
            <numerusform>%n Kapitel</numerusform>
            <numerusform>%n Kapitel</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>tessaro::ListCommands</name>
    <message>
        <source>Sort by File Name</source>
        <translation>Nach Dateinamen sortieren</translation>
    </message>
    <message>
        <source>MP3 files sorted by file name.</source>
        <translation>MP3-Dateien nach Dateinamen sortiert.</translation>
    </message>
    <message>
        <source>Sort by Track Number</source>
        <translation>Nach Titelnummer sortieren</translation>
    </message>
    <message>
        <source>MP3 files sorted by track number.</source>
        <translation>MP3-Dateien nach Titelnummer sortiert.</translation>
    </message>
    <message>
        <source>Move</source>
        <translation>Verschieben</translation>
    </message>
    <message>
        <source>Move mp3 file from position %1 to %2</source>
        <translation>MP3-Datei von Position %1 nach %2 verschoben</translation>
    </message>
    <message numerus="yes">
        <source>Move %n mp3 files to position %1</source>
        <translation>
            <numerusform>%n MP3-Datei an Position %1 verschieben</numerusform>
            <numerusform>%n MP3-Dateien an Position %1 verschieben</numerusform>
        </translation>
    </message>
    <message>
        <source>MP3 file has been removed from workspace.</source>
        <translation>Die MP3-Datei wurde aus dem Arbeitsbereich entfernt.</translation>
    </message>
    <message numerus="yes">
        <source>%n MP3 files have been removed from workspace.</source>
        <translation>
            <numerusform>%n MP3-Datei wurde aus dem Arbeitsbereich entfernt.</numerusform>
            <numerusform>%n MP3-Dateien wurden aus dem Arbeitsbereich entfernt.</numerusform>
        </translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Move Up</source>
        <translation>Nach oben</translation>
    </message>
    <message>
        <source>Move Down</source>
        <translation>Nach unten</translation>
    </message>
    <message>
        <source>MP3 file moved up.</source>
        <translation>MP3-Datei nach oben verschoben.</translation>
    </message>
    <message>
        <source>MP3 file moved down.</source>
        <translation>MP3-Datei nach unten verschoben.</translation>
    </message>
    <message numerus="yes">
        <source>%n MP3 files moved up.</source>
        <translation>
            <numerusform>%n MP3-Datei nach oben verschoben.</numerusform>
            <numerusform>%n MP3-Dateien nach oben verschoben.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n MP3 files moved down.</source>
        <translation>
            <numerusform>%n MP3-Datei nach unten verschoben.</numerusform>
            <numerusform>%n MP3-Dateien nach unten verschoben.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>tessaro::Listening</name>
    <message>
        <source>No sound device: nothing can be played</source>
        <translation>Kein Audiogerät: Es kann nichts abgespielt werden</translation>
    </message>
    <message>
        <source>Cannot play %1: %2</source>
        <translation>%1 kann nicht abgespielt werden: %2</translation>
    </message>
    <message>
        <source>Measuring loudness…</source>
        <translation>Lautheit wird gemessen…</translation>
    </message>
    <message>
        <source>Cannot listen to the join: %1</source>
        <translation>Der Übergang kann nicht angehört werden: %1</translation>
    </message>
</context>
<context>
    <name>tessaro::MainWindow</name>
    <message>
        <source>&amp;Play</source>
        <translation>&amp;Wiedergabe</translation>
    </message>
    <message>
        <source>&amp;Play Entry</source>
        <translation>Eintrag &amp;abspielen</translation>
    </message>
    <message>
        <source>Play the selected mp3 file from its start; Space again stops it
Play Entry</source>
        <translation>Die ausgewählte MP3-Datei von Anfang an abspielen; erneut Leertaste hält sie an
Eintrag abspielen</translation>
    </message>
    <message>
        <source>Listen to the &amp;Join</source>
        <translation>&amp;Übergang anhören</translation>
    </message>
    <message>
        <source>Play the end of the selected mp3 file and the start of the next, joined as the merge will join them
Listen to the Join</source>
        <translation>Das Ende der ausgewählten MP3-Datei und den Anfang der nächsten abspielen, so zusammengefügt, wie das Zusammenfügen sie verbinden wird
Übergang anhören</translation>
    </message>
    <message>
        <source>MP3 files</source>
        <translation>MP3-Dateien</translation>
    </message>
    <message>
        <source>More Tools</source>
        <translation>Weitere Werkzeuge</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>&amp;Neu</translation>
    </message>
    <message>
        <source>Create a new workspace
New workspace</source>
        <translation>Einen neuen Arbeitsbereich anlegen
Neuer Arbeitsbereich</translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation>Ö&amp;ffnen...</translation>
    </message>
    <message>
        <source>Open an existing workspace from your storage-disk
Open workspace</source>
        <translation>Einen vorhandenen Arbeitsbereich von Ihrem Datenträger öffnen
Arbeitsbereich öffnen</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>Save workspace to your storage-disk
Save workspace</source>
        <translation>Den Arbeitsbereich auf Ihrem Datenträger speichern
Arbeitsbereich speichern</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>Speichern &amp;unter...</translation>
    </message>
    <message>
        <source>Save workspace to a file of another name
Save workspace as</source>
        <translation>Arbeitsbereich in eine Datei anderen Namens speichern
Arbeitsbereich speichern unter</translation>
    </message>
    <message>
        <source>&amp;Insert MP3...</source>
        <translation>MP3 &amp;einfügen...</translation>
    </message>
    <message>
        <source>Insert mp3 file to workspace
Insert MP3</source>
        <translation>MP3-Datei in den Arbeitsbereich einfügen
MP3 einfügen</translation>
    </message>
    <message>
        <source>Insert &amp;Folder...</source>
        <translation>&amp;Ordner einfügen...</translation>
    </message>
    <message>
        <source>Insert the mp3 files of a folder and its subfolders to workspace
Insert Folder</source>
        <translation>Die MP3-Dateien eines Ordners und seiner Unterordner in den Arbeitsbereich einfügen
Ordner einfügen</translation>
    </message>
    <message>
        <source>&amp;Remove MP3</source>
        <translation>MP3 en&amp;tfernen</translation>
    </message>
    <message>
        <source>Remove mp3 file from workspace
Remove MP3</source>
        <translation>MP3-Datei aus dem Arbeitsbereich entfernen
MP3 entfernen</translation>
    </message>
    <message>
        <source>&amp;Up</source>
        <translation>N&amp;ach oben</translation>
    </message>
    <message>
        <source>Move current selected mp3 file up order
Move UP</source>
        <translation>Die ausgewählte MP3-Datei in der Reihenfolge nach oben schieben
Nach oben</translation>
    </message>
    <message>
        <source>&amp;Down</source>
        <translation>Nac&amp;h unten</translation>
    </message>
    <message>
        <source>Move current selected mp3 file down order
Move DOWN</source>
        <translation>Die ausgewählte MP3-Datei in der Reihenfolge nach unten schieben
Nach unten</translation>
    </message>
    <message>
        <source>ID&amp;3 Tag Editor ...</source>
        <translation>ID&amp;3-Tag-Editor ...</translation>
    </message>
    <message>
        <source>Type the ID3 tag the joined file is to carry
ID3 Tag Editor</source>
        <translation>Das ID3-Tag der verbundenen Datei eingeben
ID3-Tag-Editor</translation>
    </message>
    <message>
        <source>&amp;Merge...</source>
        <translation>&amp;Zusammenfügen...</translation>
    </message>
    <message>
        <source>Merge all mp3 files into one
Start to Merge</source>
        <translation>Alle MP3-Dateien zu einer zusammenfügen
Zusammenfügen starten</translation>
    </message>
    <message>
        <source>&amp;Preferences...</source>
        <translation>Einstellun&amp;gen...</translation>
    </message>
    <message>
        <source>Show preferences
Preferences</source>
        <translation>Einstellungen anzeigen
Einstellungen</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Quit the application
Exit</source>
        <translation>Das Programm beenden
Beenden</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Rückgängig</translation>
    </message>
    <message>
        <source>Undo the last change of the workspace
Undo</source>
        <translation>Die letzte Änderung des Arbeitsbereichs rückgängig machen
Rückgängig</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Wiederherstellen</translation>
    </message>
    <message>
        <source>Make the change undone last again
Redo</source>
        <translation>Die zuletzt rückgängig gemachte Änderung wiederherstellen
Wiederherstellen</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <source>Remove the selected mp3 files from workspace
Delete</source>
        <translation>Die ausgewählten MP3-Dateien aus dem Arbeitsbereich entfernen
Löschen</translation>
    </message>
    <message>
        <source>Select &amp;All</source>
        <translation>&amp;Alles auswählen</translation>
    </message>
    <message>
        <source>Select every mp3 file of workspace
Select All</source>
        <translation>Alle MP3-Dateien des Arbeitsbereichs auswählen
Alles auswählen</translation>
    </message>
    <message>
        <source>Sort by &amp;File Name</source>
        <translation>Nach &amp;Dateinamen sortieren</translation>
    </message>
    <message>
        <source>Put the mp3 files in the order of their names, numbers by value
Sort by File Name</source>
        <translation>Die MP3-Dateien nach ihren Namen ordnen, Zahlen nach ihrem Wert
Nach Dateinamen sortieren</translation>
    </message>
    <message>
        <source>Sort by &amp;Track Number</source>
        <translation>Nach &amp;Titelnummer sortieren</translation>
    </message>
    <message>
        <source>Put the mp3 files in the order of the disc and track numbers their tags tell
Sort by Track Number</source>
        <translation>Die MP3-Dateien nach den CD- und Titelnummern ihrer Tags ordnen
Nach Titelnummer sortieren</translation>
    </message>
    <message>
        <source>&amp;Output Window</source>
        <translation>&amp;Ausgabefenster</translation>
    </message>
    <message>
        <source>Show or hide output window</source>
        <translation>Ausgabefenster anzeigen oder ausblenden</translation>
    </message>
    <message>
        <source>&amp;Tool Bar</source>
        <translation>&amp;Werkzeugleiste</translation>
    </message>
    <message>
        <source>Show or hide the tool bar</source>
        <translation>Werkzeugleiste ein- oder ausblenden</translation>
    </message>
    <message>
        <source>&amp;Status Bar</source>
        <translation>&amp;Statusleiste</translation>
    </message>
    <message>
        <source>Show or hide the status bar</source>
        <translation>Statusleiste ein- oder ausblenden</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Show help topics
Help</source>
        <translation>Hilfethemen anzeigen
Hilfe</translation>
    </message>
    <message>
        <source>&amp;Visit Veskaro Technology ...</source>
        <translation>&amp;Veskaro Technology besuchen ...</translation>
    </message>
    <message>
        <source>Open the maker&apos;s web site
Visit Veskaro</source>
        <translation>Die Website des Herstellers öffnen
Veskaro besuchen</translation>
    </message>
    <message>
        <source>&amp;About ...</source>
        <translation>Ü&amp;ber ...</translation>
    </message>
    <message>
        <source>Show the program&apos;s name and version
About</source>
        <translation>Name und Version des Programms zeigen
Über</translation>
    </message>
    <message>
        <source>MPEG audio (*.mp3 *.mp2 *.mpa)</source>
        <translation>MPEG-Audio (*.mp3 *.mp2 *.mpa)</translation>
    </message>
    <message>
        <source>&amp;Cancel Merge</source>
        <translation>Zusammenfügen &amp;abbrechen</translation>
    </message>
    <message>
        <source>Tool Bar</source>
        <translation>Werkzeugleiste</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>Merge</source>
        <translation>Zusammenfügen</translation>
    </message>
    <message>
        <source>A merge is running. Cancel it and close the window?</source>
        <translation>Ein Zusammenfügen läuft. Abbrechen und das Fenster schließen?</translation>
    </message>
    <message>
        <source>Cancel the Merge and Close</source>
        <translation>Zusammenfügen abbrechen und schließen</translation>
    </message>
    <message>
        <source>Keep Merging</source>
        <translation>Weiter zusammenfügen</translation>
    </message>
    <message>
        <source>You can not exit the application while merge thread is running ...</source>
        <translation>Das Programm kann nicht beendet werden, während zusammengefügt wird ...</translation>
    </message>
    <message>
        <source>Drop</source>
        <translation>Ablegen</translation>
    </message>
    <message>
        <source>Insert</source>
        <translation>Einfügen</translation>
    </message>
    <message>
        <source>Insert Folder</source>
        <translation>Ordner einfügen</translation>
    </message>
    <message>
        <source>Merge failed</source>
        <translation>Zusammenfügen fehlgeschlagen</translation>
    </message>
    <message>
        <source>Import &amp;Chapters...</source>
        <translation>Kapitel i&amp;mportieren...</translation>
    </message>
    <message>
        <source>Take the joined file&apos;s chapters from a chapter file
Import Chapters</source>
        <translation>Die Kapitel der zusammengefügten Datei aus einer Kapiteldatei nehmen
Kapitel importieren</translation>
    </message>
    <message>
        <source>&amp;Export Chapters...</source>
        <translation>Kapitel e&amp;xportieren...</translation>
    </message>
    <message>
        <source>Write the chapters of the file merged last to a chapter file
Export Chapters</source>
        <translation>Die Kapitel der zuletzt zusammengefügten Datei in eine Kapiteldatei schreiben
Kapitel exportieren</translation>
    </message>
    <message>
        <source>Pictures (*.jpg *.jpeg *.png)</source>
        <translation>Bilder (*.jpg *.jpeg *.png)</translation>
    </message>
    <message>
        <source>Chapter lines, HH:MM:SS.mmm Title</source>
        <translation>Kapitelzeilen, HH:MM:SS.mmm Titel</translation>
    </message>
    <message>
        <source>CUE sheet</source>
        <translation>CUE-Datei</translation>
    </message>
    <message>
        <source>FFmpeg metadata</source>
        <translation>FFmpeg-Metadaten</translation>
    </message>
    <message>
        <source>Podcasting 2.0 chapters</source>
        <translation>Podcasting-2.0-Kapitel</translation>
    </message>
    <message>
        <source>Audacity labels</source>
        <translation>Audacity-Textmarken</translation>
    </message>
    <message>
        <source>No chapters: turn on &quot;Add a chapter for each input file&quot; in File &gt; Preferences, or import a chapter file.</source>
        <translation>Keine Kapitel: Schalten Sie „Für jede Eingabedatei ein Kapitel anlegen“ unter Datei &gt; Einstellungen ein, oder importieren Sie eine Kapiteldatei.</translation>
    </message>
    <message>
        <source>C&amp;lear Imported Chapters</source>
        <translation>Importierte Kapitel &amp;verwerfen</translation>
    </message>
    <message>
        <source>Give up the imported chapter file: the chapters go by the inputs again
Clear Imported Chapters</source>
        <translation>Die importierte Kapiteldatei verwerfen: Die Kapitel richten sich wieder nach den Eingabedateien
Importierte Kapitel verwerfen</translation>
    </message>
    <message>
        <source>Start C&amp;hapter Here</source>
        <translation>Kapitel hier &amp;beginnen</translation>
    </message>
    <message>
        <source>Start a chapter at each selected mp3 file
Start Chapter Here</source>
        <translation>Bei jeder ausgewählten MP3-Datei ein Kapitel beginnen
Kapitel hier beginnen</translation>
    </message>
    <message>
        <source>&amp;Join with Previous Chapter</source>
        <translation>Mit vorigem Kapitel &amp;vereinen</translation>
    </message>
    <message>
        <source>Put each selected mp3 file into the chapter before it
Join with Previous Chapter</source>
        <translation>Jede ausgewählte MP3-Datei dem Kapitel davor zuschlagen
Mit vorigem Kapitel vereinen</translation>
    </message>
    <message>
        <source>&amp;Chapters</source>
        <translation>&amp;Kapitel</translation>
    </message>
    <message>
        <source>Show or hide the chapters the next merge writes</source>
        <translation>Die Kapitel, die das nächste Zusammenfügen schreibt, ein- oder ausblenden</translation>
    </message>
    <message>
        <source>Spli&amp;t MP3...</source>
        <translation>MP3 aufte&amp;ilen...</translation>
    </message>
    <message>
        <source>Cut an mp3 file into parts without re-encoding, at its chapters, at times or at silences
Split MP3</source>
        <translation>Eine MP3-Datei ohne Neukodierung in Teile schneiden, an ihren Kapiteln, zu Zeiten oder an Pausen
MP3 aufteilen</translation>
    </message>
    <message>
        <source>Split failed</source>
        <translation>Aufteilen fehlgeschlagen</translation>
    </message>
</context>
<context>
    <name>tessaro::MergeCommands</name>
    <message>
        <source>Joined</source>
        <translation>Zusammengefügt</translation>
    </message>
    <message>
        <source>The joined file &quot;%1&quot; lies in %2, where input files come from: a later Insert Folder would take it in as an input.</source>
        <translation>Die zusammengefügte Datei „%1“ liegt in %2, woher Eingabedateien stammen: Ein späteres „Ordner einfügen“ würde sie als Eingabe aufnehmen.</translation>
    </message>
    <message>
        <source>Begin to merge mp3 files ...</source>
        <translation>Das Zusammenfügen der MP3-Dateien beginnt ...</translation>
    </message>
</context>
<context>
    <name>tessaro::NoticeBar</name>
    <message>
        <source>Close this message</source>
        <translation>Diese Meldung schließen</translation>
    </message>
    <message>
        <source>1 input differs in format from the first</source>
        <translation>1 Eingabe weicht im Format von der ersten ab</translation>
    </message>
    <message>
        <source>%1 inputs differ in format from the first</source>
        <translation>%1 Eingaben weichen im Format von der ersten ab</translation>
    </message>
    <message>
        <source>, and many players play the joined file wrongly. Turn on &quot;Re-encode inputs of another format to match the first&quot; in File &gt; Preferences to keep one format throughout.</source>
        <translation>, und viele Player spielen die verbundene Datei falsch ab. Schalten Sie „Eingaben anderen Formats neu kodieren, passend zur ersten“ unter Datei &gt; Einstellungen ein, um ein Format durchgehend zu behalten.</translation>
    </message>
</context>
<context>
    <name>tessaro::OutputPane</name>
    <message>
        <source>Output log</source>
        <translation>Ausgabeprotokoll</translation>
    </message>
    <message>
        <source>Save Log</source>
        <translation>Protokoll speichern</translation>
    </message>
    <message>
        <source>Text files (*.txt);;All files (*)</source>
        <translation>Textdateien (*.txt);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Output</source>
        <translation>Ausgabe</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>C&amp;lear</source>
        <translation>&amp;Leeren</translation>
    </message>
    <message>
        <source>&amp;Save Log…</source>
        <translation>Protokoll &amp;speichern…</translation>
    </message>
    <message>
        <source>The log could not be saved to %1:
%2</source>
        <translation>Das Protokoll konnte nicht unter %1 gespeichert werden:
%2</translation>
    </message>
</context>
<context>
    <name>tessaro::PreferencesDialog</name>
    <message>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
</context>
<context>
    <name>tessaro::RecentWorkspaces</name>
    <message>
        <source>Recent &amp;Workspaces</source>
        <translation>&amp;Letzte Arbeitsbereiche</translation>
    </message>
</context>
<context>
    <name>tessaro::SplitCommands</name>
    <message>
        <source>Split MP3</source>
        <translation>MP3 aufteilen</translation>
    </message>
    <message>
        <source>Cannot make the folder %1</source>
        <translation>Der Ordner %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>Made the folder %1</source>
        <translation>Der Ordner %1 wurde angelegt</translation>
    </message>
    <message>
        <source>Begin to split %1 ...</source>
        <translation>Das Aufteilen von %1 beginnt ...</translation>
    </message>
    <message>
        <source>The split was cancelled: no part is left half written.</source>
        <translation>Das Aufteilen wurde abgebrochen: kein Teil ist halb geschrieben geblieben.</translation>
    </message>
    <message numerus="yes">
        <source>Split %1 into %n parts in %2</source>
        <translation>
            <numerusform>%1 wurde in %n Teil in %2 aufgeteilt</numerusform>
            <numerusform>%1 wurde in %n Teile in %2 aufgeteilt</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>tessaro::SplitController</name>
    <message>
        <source>Not enough memory to start a thread for %1</source>
        <translation>Nicht genug Speicher, um einen Thread für %1 zu starten</translation>
    </message>
</context>
<context>
    <name>tessaro::SplitDialog</name>
    <message>
        <source>Sto&amp;p</source>
        <translation>A&amp;nhalten</translation>
    </message>
    <message>
        <source>Split %1</source>
        <translation>%1 aufteilen</translation>
    </message>
    <message>
        <source>Stop looking for silences</source>
        <translation>Die Suche nach Pausen anhalten</translation>
    </message>
    <message>
        <source>Parts</source>
        <translation>Teile</translation>
    </message>
    <message>
        <source>&amp;Split</source>
        <translation>&amp;Aufteilen</translation>
    </message>
    <message>
        <source>Looking for silences… %1%</source>
        <translation>Pausen werden gesucht… %1%</translation>
    </message>
    <message>
        <source>Cut at</source>
        <translation>Schneiden an</translation>
    </message>
    <message>
        <source>The file&apos;s own &amp;chapters</source>
        <translation>Den eigenen &amp;Kapiteln der Datei</translation>
    </message>
    <message>
        <source>A chapter &amp;file:</source>
        <translation>Einer Kapitel&amp;datei:</translation>
    </message>
    <message>
        <source>Chapter file</source>
        <translation>Kapiteldatei</translation>
    </message>
    <message>
        <source>C&amp;hoose...</source>
        <translation>&amp;Wählen...</translation>
    </message>
    <message>
        <source>Choose a chapter file</source>
        <translation>Eine Kapiteldatei wählen</translation>
    </message>
    <message>
        <source>&amp;Times:</source>
        <translation>&amp;Zeiten:</translation>
    </message>
    <message>
        <source>HH:MM:SS.mmm, …</source>
        <translation>HH:MM:SS.mmm, …</translation>
    </message>
    <message>
        <source>Times to cut at</source>
        <translation>Zeiten, an denen geschnitten wird</translation>
    </message>
    <message>
        <source>&amp;Equal parts of:</source>
        <translation>&amp;Gleich langen Teilen von:</translation>
    </message>
    <message>
        <source>HH:MM:SS.mmm</source>
        <translation>HH:MM:SS.mmm</translation>
    </message>
    <message>
        <source>Length of each part</source>
        <translation>Länge jedes Teils</translation>
    </message>
    <message>
        <source>Si&amp;lences of at least:</source>
        <translation>&amp;Pausen von mindestens:</translation>
    </message>
    <message>
        <source> s</source>
        <translation> s</translation>
    </message>
    <message>
        <source>Shortest silence</source>
        <translation>Kürzeste Pause</translation>
    </message>
    <message>
        <source> dB</source>
        <translation> dB</translation>
    </message>
    <message>
        <source>Silence threshold</source>
        <translation>Pausenschwelle</translation>
    </message>
    <message>
        <source>below</source>
        <translation>unter</translation>
    </message>
    <message>
        <source>F&amp;older:</source>
        <translation>&amp;Ordner:</translation>
    </message>
    <message>
        <source>Bro&amp;wse...</source>
        <translation>Durch&amp;suchen...</translation>
    </message>
    <message>
        <source>Choose the folder</source>
        <translation>Den Ordner wählen</translation>
    </message>
    <message>
        <source>Choose the chapter file to cut at.</source>
        <translation>Wählen Sie die Kapiteldatei, an deren Kapiteln geschnitten wird.</translation>
    </message>
    <message>
        <source>Times are HH:MM:SS.mmm, MM:SS or seconds, each later than the one before: &quot;%1&quot; is not.</source>
        <translation>Zeiten sind HH:MM:SS.mmm, MM:SS oder Sekunden, jede später als die vorige: „%1“ ist es nicht.</translation>
    </message>
    <message>
        <source>Type the times to cut at.</source>
        <translation>Geben Sie die Zeiten ein, an denen geschnitten wird.</translation>
    </message>
    <message>
        <source>Type the length of each part, as HH:MM:SS.mmm, MM:SS or seconds.</source>
        <translation>Geben Sie die Länge jedes Teils ein, als HH:MM:SS.mmm, MM:SS oder Sekunden.</translation>
    </message>
    <message>
        <source>Looking for silences…</source>
        <translation>Pausen werden gesucht…</translation>
    </message>
    <message>
        <source>The file&apos;s own &amp;chapters (it has none)</source>
        <translation>Den eigenen &amp;Kapiteln der Datei (sie hat keine)</translation>
    </message>
    <message>
        <source>Split MP3</source>
        <translation>MP3 aufteilen</translation>
    </message>
    <message numerus="yes">
        <source>%n of the parts&apos; files exist already in %1. Replace them?</source>
        <translation>
            <numerusform>%n Datei der Teile gibt es in %1 schon. Ersetzen?</numerusform>
            <numerusform>%n Dateien der Teile gibt es in %1 schon. Ersetzen?</numerusform>
        </translation>
    </message>
    <message>
        <source>&amp;Replace</source>
        <translation>&amp;Ersetzen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>&quot;%1&quot; lies past the end of the file.</source>
        <translation>„%1“ liegt hinter dem Ende der Datei.</translation>
    </message>
</context>
<context>
    <name>tessaro::SplitPartsModel</name>
    <message>
        <source>Number</source>
        <translation>Nummer</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Beginn</translation>
    </message>
    <message>
        <source>Length</source>
        <translation>Länge</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>File Name</source>
        <translation>Dateiname</translation>
    </message>
</context>
<context>
    <name>tessaro::StandardPreferencesPage</name>
    <message>
        <source>&amp;Save  ID3 tag to output mp3 file</source>
        <translation>ID3-Tag in die Ausgabe-MP3-Datei &amp;speichern</translation>
    </message>
    <message>
        <source>Standard</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>ID3 tag options:</source>
        <translation>ID3-Tag-Optionen:</translation>
    </message>
    <message>
        <source>Joined file:</source>
        <translation>Zusammengefügte Datei:</translation>
    </message>
    <message>
        <source>Add a &amp;chapter for each input file</source>
        <translation>Für jede Eingabedatei ein &amp;Kapitel anlegen</translation>
    </message>
    <message>
        <source>&amp;One chapter for the parts of a title (&quot;Chapter 3 (1/2)&quot;, &quot;Chapter 3 (2/2)&quot;)</source>
        <translation>&amp;Ein Kapitel für die Teile eines Titels („Kapitel 3 (1/2)“, „Kapitel 3 (2/2)“)</translation>
    </message>
    <message>
        <source>Copy the first input&apos;s co&amp;ver picture</source>
        <translation>Titel&amp;bild der ersten Eingabe übernehmen</translation>
    </message>
    <message>
        <source>&amp;Join seamlessly (re-encodes a few frames at each join)</source>
        <translation>&amp;Nahtlos zusammenfügen (kodiert an jeder Naht einige Frames neu)</translation>
    </message>
    <message>
        <source>&amp;Level the loudness of the inputs (changes gain only, no re-encoding)</source>
        <translation>&amp;Lautheit der Eingaben angleichen (ändert nur die Verstärkung, ohne Neukodierung)</translation>
    </message>
    <message>
        <source>&amp;Re-encode inputs of another format to match the first</source>
        <translation>Eingaben anderen Formats passend zur e&amp;rsten neu kodieren</translation>
    </message>
    <message>
        <source>Copy the &amp;tag the inputs share (album, artist, genre, …)</source>
        <translation>Gemeinsamen &amp;Tag der Eingaben übernehmen (Album, Interpret, Genre, …)</translation>
    </message>
    <message>
        <source>&amp;Write the tag as ID3v2.3 (for Windows and older players)</source>
        <translation>Tag als ID3v2.&amp;3 schreiben (für Windows und ältere Player)</translation>
    </message>
    <message>
        <source>Silence &amp;between inputs:</source>
        <translation>Stille &amp;zwischen Eingaben:</translation>
    </message>
    <message>
        <source>Level as one &amp;album</source>
        <translation>Als ein &amp;Album angleichen</translation>
    </message>
    <message>
        <source>Where the inputs&apos; tags differ, copy the &amp;first input&apos;s values</source>
        <translation>&amp;Werte der ersten Eingabe übernehmen, wo die Tags der Eingaben abweichen</translation>
    </message>
</context>
<context>
    <name>tessaro::StatusArea</name>
    <message>
        <source>%1, reading figures…</source>
        <translation>%1, Angaben werden gelesen…</translation>
    </message>
    <message>
        <source>Merge progress</source>
        <translation>Fortschritt des Zusammenfügens</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Stop the merge; the output file stays as it was (Esc)</source>
        <translation>Zusammenfügen abbrechen; die Ausgabedatei bleibt, wie sie war (Esc)</translation>
    </message>
    <message>
        <source>Merging…</source>
        <translation>Zusammenfügen…</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Bereit</translation>
    </message>
    <message>
        <source>1 file</source>
        <translation>1 Datei</translation>
    </message>
    <message>
        <source>%1 files</source>
        <translation>%1 Dateien</translation>
    </message>
    <message>
        <source>Splitting…</source>
        <translation>Aufteilen…</translation>
    </message>
</context>
<context>
    <name>tessaro::TagEditorDialog</name>
    <message>
        <source>ID3 tag editor</source>
        <translation>ID3-Tag-Editor</translation>
    </message>
    <message>
        <source>Main ID3 tag:</source>
        <translation>Haupt-ID3-Tag:</translation>
    </message>
    <message>
        <source>&amp;Album:</source>
        <translation>&amp;Album:</translation>
    </message>
    <message>
        <source>A&amp;rtist:</source>
        <translation>Inte&amp;rpret:</translation>
    </message>
    <message>
        <source>&amp;Title:</source>
        <translation>&amp;Titel:</translation>
    </message>
    <message>
        <source>&amp;Year:</source>
        <translation>&amp;Jahr:</translation>
    </message>
    <message>
        <source>&amp;Comment:</source>
        <translation>&amp;Kommentar:</translation>
    </message>
    <message>
        <source>The tag is written into the joined file.</source>
        <translation>Der Tag wird in die zusammengefügte Datei geschrieben.</translation>
    </message>
    <message>
        <source>The tag is not written into the joined file while &quot;Save ID3 tag&quot; is off in File &gt; Preferences.</source>
        <translation>Der Tag wird nicht in die zusammengefügte Datei geschrieben, solange „ID3-Tag speichern“ unter Datei &gt; Einstellungen ausgeschaltet ist.</translation>
    </message>
    <message>
        <source>Enter an integer.</source>
        <translation>Geben Sie eine ganze Zahl ein.</translation>
    </message>
    <message>
        <source>Enter a year from 0 to %1.</source>
        <translation>Geben Sie ein Jahr von 0 bis %1 ein.</translation>
    </message>
    <message>
        <source>Co&amp;ver:</source>
        <translation>Titel&amp;bild:</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keines</translation>
    </message>
    <message>
        <source>C&amp;hoose...</source>
        <translation>&amp;Wählen...</translation>
    </message>
    <message>
        <source>Re&amp;move</source>
        <translation>&amp;Entfernen</translation>
    </message>
    <message>
        <source>Cannot use %1 as the cover picture: %2</source>
        <translation>%1 kann nicht als Titelbild verwendet werden: %2</translation>
    </message>
    <message>
        <source>Album arti&amp;st:</source>
        <translation>Albumkün&amp;stler:</translation>
    </message>
    <message>
        <source>Com&amp;poser/Narrator:</source>
        <translation>Kom&amp;ponist/Sprecher:</translation>
    </message>
    <message>
        <source>&amp;Genre:</source>
        <translation>&amp;Genre:</translation>
    </message>
</context>
<context>
    <name>tessaro::TrackInsertion</name>
    <message>
        <source>Drop</source>
        <translation>Ablegen</translation>
    </message>
    <message>
        <source>it is not an MPEG audio file (.mp3, .mp2, .mpa)</source>
        <translation>sie ist keine MPEG-Audiodatei (.mp3, .mp2, .mpa)</translation>
    </message>
    <message>
        <source>MP3 file %1 has not been added: %2.</source>
        <translation>MP3-Datei %1 wurde nicht hinzugefügt: %2.</translation>
    </message>
    <message>
        <source>MP3 file &quot;%1&quot; has been inserted!</source>
        <translation>MP3-Datei „%1“ wurde eingefügt!</translation>
    </message>
    <message>
        <source>Folder &quot;%1&quot; has been inserted with %2 MP3 files!</source>
        <translation>Ordner „%1“ wurde mit %2 MP3-Dateien eingefügt!</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) dropped during the merge have been added.</source>
        <translation>
            <numerusform>%n während des Zusammenfügens abgelegte Datei wurde hinzugefügt.</numerusform>
            <numerusform>%n während des Zusammenfügens abgelegte Dateien wurden hinzugefügt.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>tessaro::TrackListModel</name>
    <message>
        <source>Disc %1</source>
        <translation>CD %1</translation>
    </message>
    <message>
        <source>Track %1</source>
        <translation>Titel %1</translation>
    </message>
    <message>
        <source>(untitled)</source>
        <translation>(ohne Titel)</translation>
    </message>
    <message>
        <source>Chapter: %1</source>
        <translation>Kapitel: %1</translation>
    </message>
</context>
<context>
    <name>tessaro::WorkspaceDocument</name>
    <message>
        <source>Tessaro Workspace file(*.twk)</source>
        <translation>Tessaro-Arbeitsbereich (*.twk)</translation>
    </message>
    <message>
        <source>Untitled</source>
        <translation>Unbenannt</translation>
    </message>
    <message>
        <source>Undo: %1</source>
        <translation>Rückgängig: %1</translation>
    </message>
    <message>
        <source>Redo: %1</source>
        <translation>Wiederherstellen: %1</translation>
    </message>
    <message>
        <source>New</source>
        <translation>Neu</translation>
    </message>
    <message>
        <source>Create new workspace.</source>
        <translation>Neuer Arbeitsbereich angelegt.</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Workspace has been opened.</source>
        <translation>Der Arbeitsbereich wurde geöffnet.</translation>
    </message>
    <message>
        <source>it is not a Tessaro workspace file, or it cannot be read.</source>
        <translation>sie ist keine Tessaro-Arbeitsbereichsdatei oder kann nicht gelesen werden.</translation>
    </message>
    <message>
        <source>the file is damaged: %1.</source>
        <translation>die Datei ist beschädigt: %1.</translation>
    </message>
    <message>
        <source>Open workspace</source>
        <translation>Arbeitsbereich öffnen</translation>
    </message>
    <message>
        <source>Cannot open %1: %2</source>
        <translation>%1 kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>Save workspace</source>
        <translation>Arbeitsbereich speichern</translation>
    </message>
    <message>
        <source>Cannot save the workspace to %1: %2</source>
        <translation>Der Arbeitsbereich kann nicht unter %1 gespeichert werden: %2</translation>
    </message>
    <message>
        <source>Workspace has been saved.</source>
        <translation>Der Arbeitsbereich wurde gespeichert.</translation>
    </message>
    <message>
        <source>Save changes to %1?</source>
        <translation>Änderungen an %1 speichern?</translation>
    </message>
    <message>
        <source>Tag</source>
        <translation>Tag</translation>
    </message>
</context>
</TS>
