<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>QDialog</name>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TessaroJoin</name>
    <message>
        <source>Write the joined file to OUTPUT (required).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Join the files listed in the workspace file WORKSPACE.twk instead of INPUT...; its tag values serve --tag unless the options below override them.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show no progress bar and no summary.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write an ID3 tag with the values below into the output.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Album of the tag.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Artist of the tag.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Title of the tag.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Year of the tag; 0 or less writes none.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Comment of the tag.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Genre of the tag.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Album artist of the tag.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Composer of the tag (where audiobook tools file the narrator).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Put the JPEG or PNG picture FILE into the output&apos;s tag as its front cover.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Join the inputs in ORDER instead of the order given: natural, by their file names with numbers by value (&quot;Chapter 2&quot; before &quot;Chapter 10&quot;); or track, by the disc and track numbers of their tags, those alike or untagged by name.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Joins MP3 files into one without re-encoding: every MPEG audio frame of every input is
copied byte for byte, in the order given; the inputs&apos; own tags and any bytes outside
frames are left behind, and so is each input&apos;s own Xing, Info or VBRI header frame but
the first one&apos;s, which is rewritten to describe the whole output. The output is
written to a temporary file beside it and replaces an existing file only once the
join is complete.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The MP3 files to join, first to last; a folder stands for the MPEG audio files under it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Carry the picture of the first joined input that has one (its front cover, else its first) into the output&apos;s tag.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Join the inputs without the silence their encoders put at both ends: the few frames around each join are decoded and encoded anew. Inputs whose headers do not tell that silence, or of different formats, are joined as they are, with a warning.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Level the loudness of the inputs to LUFS (alone, --level aims at -18, ReplayGain 2.0&apos;s reference) by changing the gain their frames carry, in steps of 1.5 dB: no re-encoding. An input gets less gain where more would clip its peaks. The output&apos;s tag tells its ReplayGain.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Re-encode inputs of another format (MPEG version, layer, sampling rate or channel count), or whose frames change format, to match the first input, which must be of Layer III: each is decoded, resampled, mixed to its channels and encoded in its format, and runs into its neighbours without gap. The other inputs are copied as ever.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write the tag, chapters and cover included, as ID3v2.3, which Windows and many older players read, instead of ID3v2.4.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Take the output&apos;s chapters from FILE, each starting on the joined timeline as players show it: %1, told by its contents. A file whose times do not increase or pass the end of the audio is refused.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write the output&apos;s chapters to FILE (with neither option above: a chapter for each joined input), in the form its extension names: .cue, .json, .ffmeta or .ffmetadata, .labels (Audacity&apos;s), or lines &quot;HH:MM:SS.mmm Title&quot; for any other, .txt included.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write the output even though its name ends in the extension of another audio format (.m4b, .m4a, .aac, .ogg, .opus, .flac, .wav); it holds MP3 audio all the same.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Join each INPUT, a folder, into a file of its own: OUTPUT is a folder, and the files under FOLDER go to OUTPUT/FOLDER.mp3, with the same options, one folder after the other. A folder that fails does not stop the others; the exit status is the worst of theirs, and a summary names each one&apos;s result. Not with -w, --chapter-file or --export-chapters.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Read the chapter file and write the exported chapters as FORMAT: %1. Without it, the chapter file&apos;s contents and the exported file&apos;s extension tell.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Put SECONDS of silence between every two inputs: frames of digital silence encoded in the first input&apos;s format, never a chapter of their own. The silence the inputs&apos; encoders left at their ends counts towards it, so that what is heard between two inputs is SECONDS within a frame, and to the sample with --seamless.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>With --level: track (as without this option) levels each input alone; album gives every input the one gain that brings the whole join, gated over all inputs as ReplayGain&apos;s album gain is, nearest to the target, less where more would clip the highest peak. An album&apos;s quiet pieces stay as much quieter as they were.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy into the output&apos;s tag every text frame all joined inputs share (album, artist, album artist, genre, year, composer, comment, ...), but their titles, track and disc numbers and ReplayGain; a tag without a title is titled with the album. A frame the inputs disagree on, or that some lack, is left out with a warning naming the values; with =first, it is taken from the first input that has it. The values typed above win.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>lines &quot;HH:MM:SS.mmm Title&quot; (or &quot;MM:SS Title&quot;)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a CUE sheet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ffmpeg&apos;s FFMETADATA</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Podcasting 2.0 JSON chapters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Audacity labels</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(&quot;HH:MM:SS.mmm Title&quot;)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(a CUE sheet)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(ffmpeg&apos;s)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(Podcasting 2.0 chapters)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(Audacity&apos;s)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 or %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add a chapter for each joined input to the output&apos;s tag, titled with the input&apos;s own title or, without one, its file name. With =title, one chapter for each run of inputs whose titles agree once a trailing part or track number is left out (&quot;Chapter 3 (1/2)&quot;, &quot;Chapter 3 - Part 2&quot;). With =silence, a chapter where the audio starts and one in the middle of each silence of an input that lasts %1 seconds or more (=silence=SECONDS: SECONDS or more), titled &quot;Chapter 1&quot;, &quot;Chapter 2&quot;, ..., as one long recording pauses between its parts.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>With --chapters=silence: what is quieter than DB dBFS (0 being full scale; %1 without this option) is silence, the level of the loudest channel measured in blocks of 10 ms, so that neither dither nor a single click breaks a silence.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TessaroSplit</name>
    <message>
        <source>Print nothing but warnings and errors.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cut at the chapters of INPUT&apos;s own tag, each part titled with its chapter (the default).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cut at the chapters of FILE, in any form tessaro-join reads, titled with them.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cut at each TIME, given as HH:MM:SS.mmm, MM:SS or seconds, increasing.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cut into parts of DURATION each (as TIME), the last holding what is left.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cut in the middle of every silence at least SECONDS long (2 unless given).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>With --at-silence: what stays below DB dBFS is silence (-50 unless given).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write the parts into FOLDER, which must exist (INPUT&apos;s own folder unless given).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Name the parts by PATTERN: {n} the part&apos;s number (zero-padded), {title} its title, {album} the album; &quot;{n} {title}.mp3&quot; unless given, &quot;{n}.mp3&quot; for a part without a title.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write the parts&apos; tags as ID3v2.3 instead of ID3v2.4.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Replace files that stand where the parts go.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Splits an MP3 file into parts without re-encoding: every frame copied byte for byte but the few at a cut, rebuilt to decode alone, each part decoding to exactly the samples between its cut points.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file to split.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tessaro::AboutDialog</name>
    <message>
        <source>About ...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copyright © 2026 Veskaro Technology</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tessaro::ChapterCommands</name>
    <message>
        <source>Chapter files (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Import Chapters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot import chapters from %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 chapter from &quot;%1&quot; goes into the next merged file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 chapters from &quot;%2&quot; go into the next merged file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export Chapters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file merged last has no chapters. Turn on &quot;Add a chapter for each input file&quot; in File &gt; Preferences, or import a chapter file, and merge.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot export the chapters to %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Chapters exported to &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear Imported Chapters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start Chapter Here</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Join with Previous Chapter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rename Chapter</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tessaro::ChapterListModel</name>
    <message>
        <source>Start</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Title</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Entries</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tessaro::ChapterPane</name>
    <message>
        <source>Chapters</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tessaro::ChapterPreview</name>
    <message>
        <source>Not enough memory to start a thread for %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tessaro::CoverWell</name>
    <message>
        <source>Cover</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Drop a picture here</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>none</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 × %2 pixels</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tessaro::DesktopProgress</name>
    <message>
        <source>%1 % — %2 — %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Merge finished</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Merge cancelled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Merge failed</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tessaro::FactReader</name>
    <message>
        <source>Not enough memory to start a thread for %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tessaro::HelpCommands</name>
    <message>
        <source>No program for compiled HTML help is installed to open the help file %1. Install xchm or kchmviewer, for example with: sudo apt-get install xchm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The help file %1 is missing.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No web browser was found either to read the same guide, %1. Install one, for example with: sudo apt-get install firefox-esr</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The same guide can be read in your web browser.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open in Browser</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot start a web browser for %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Visit Veskaro Technology</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tessaro::JoinController</name>
    <message>
        <source>Not enough memory to start a thread for %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>merge process has been finished!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The ID3 tag was not written, as &quot;Save ID3 tag&quot; is off: turn it on in File &gt; Preferences.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Joined 1 file into %1 (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Joined %1 files into %2 (%3)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 warnings</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%n chapters</source>
        <translation>
            <numerusform>%n chapter</numerusform>
            <numerusform>%n chapters</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>tessaro::ListCommands</name>
    <message>
        <source>Sort by File Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MP3 files sorted by file name.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sort by Track Number</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MP3 files sorted by track number.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move mp3 file from position %1 to %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Move %n mp3 files to position %1</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>MP3 file has been removed from workspace.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%n MP3 files have been removed from workspace.</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>Remove</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move Up</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move Down</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MP3 file moved up.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MP3 file moved down.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%n MP3 files moved up.</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n MP3 files moved down.</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
</context>
<context>
    <name>tessaro::Listening</name>
    <message>
        <source>No sound device: nothing can be played</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot play %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Measuring loudness…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot listen to the join: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tessaro::MainWindow</name>
    <message>
        <source>&amp;Play</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Play Entry</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Play the selected mp3 file from its start; Space again stops it
Play Entry</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Listen to the &amp;Join</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Play the end of the selected mp3 file and the start of the next, joined as the merge will join them
Listen to the Join</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MP3 files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>More Tools</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Create a new workspace
New workspace</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open an existing workspace from your storage-disk
Open workspace</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save workspace to your storage-disk
Save workspace</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save workspace to a file of another name
Save workspace as</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Insert MP3...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Insert mp3 file to workspace
Insert MP3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Insert &amp;Folder...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Insert the mp3 files of a folder and its subfolders to workspace
Insert Folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Remove MP3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove mp3 file from workspace
Remove MP3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Up</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move current selected mp3 file up order
Move UP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Down</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move current selected mp3 file down order
Move DOWN</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ID&amp;3 Tag Editor ...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Type the ID3 tag the joined file is to carry
ID3 Tag Editor</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Merge...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Merge all mp3 files into one
Start to Merge</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Preferences...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show preferences
Preferences</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quit the application
Exit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo the last change of the workspace
Undo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Make the change undone last again
Redo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove the selected mp3 files from workspace
Delete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select &amp;All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select every mp3 file of workspace
Select All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sort by &amp;File Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Put the mp3 files in the order of their names, numbers by value
Sort by File Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sort by &amp;Track Number</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Put the mp3 files in the order of the disc and track numbers their tags tell
Sort by Track Number</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Output Window</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show or hide output window</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Tool Bar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show or hide the tool bar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Status Bar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show or hide the status bar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show help topics
Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Visit Veskaro Technology ...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open the maker&apos;s web site
Visit Veskaro</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;About ...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show the program&apos;s name and version
About</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MPEG audio (*.mp3 *.mp2 *.mpa)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Cancel Merge</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tool Bar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Merge</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A merge is running. Cancel it and close the window?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel the Merge and Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keep Merging</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You can not exit the application while merge thread is running ...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Drop</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Insert</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Insert Folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Merge failed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Import &amp;Chapters...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Take the joined file&apos;s chapters from a chapter file
Import Chapters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Export Chapters...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write the chapters of the file merged last to a chapter file
Export Chapters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pictures (*.jpg *.jpeg *.png)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Chapter lines, HH:MM:SS.mmm Title</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CUE sheet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FFmpeg metadata</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Podcasting 2.0 chapters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Audacity labels</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>C&amp;lear Imported Chapters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Give up the imported chapter file: the chapters go by the inputs again
Clear Imported Chapters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start C&amp;hapter Here</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start a chapter at each selected mp3 file
Start Chapter Here</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Join with Previous Chapter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Put each selected mp3 file into the chapter before it
Join with Previous Chapter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Chapters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show or hide the chapters the next merge writes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No chapters: turn on &quot;Add a chapter for each input file&quot; in File &gt; Preferences, or import a chapter file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Spli&amp;t MP3...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cut an mp3 file into parts without re-encoding, at its chapters, at times or at silences
Split MP3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Split failed</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tessaro::MergeCommands</name>
    <message>
        <source>Joined</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The joined file &quot;%1&quot; lies in %2, where input files come from: a later Insert Folder would take it in as an input.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Begin to merge mp3 files ...</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tessaro::NoticeBar</name>
    <message>
        <source>Close this message</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 input differs in format from the first</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 inputs differ in format from the first</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>, and many players play the joined file wrongly. Turn on &quot;Re-encode inputs of another format to match the first&quot; in File &gt; Preferences to keep one format throughout.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tessaro::OutputPane</name>
    <message>
        <source>Output log</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save Log</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text files (*.txt);;All files (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Output</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>C&amp;lear</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Save Log…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The log could not be saved to %1:
%2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tessaro::PreferencesDialog</name>
    <message>
        <source>Preferences</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tessaro::RecentWorkspaces</name>
    <message>
        <source>Recent &amp;Workspaces</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tessaro::SplitCommands</name>
    <message>
        <source>Split MP3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot make the folder %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Made the folder %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Begin to split %1 ...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The split was cancelled: no part is left half written.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Split %1 into %n parts in %2</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
</context>
<context>
    <name>tessaro::SplitController</name>
    <message>
        <source>Not enough memory to start a thread for %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tessaro::SplitDialog</name>
    <message>
        <source>Sto&amp;p</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Split %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop looking for silences</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Parts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Split</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Looking for silences… %1%</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cut at</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file&apos;s own &amp;chapters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A chapter &amp;file:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Chapter file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>C&amp;hoose...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose a chapter file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Times:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>HH:MM:SS.mmm, …</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Times to cut at</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Equal parts of:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>HH:MM:SS.mmm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Length of each part</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Si&amp;lences of at least:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shortest silence</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> dB</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Silence threshold</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>below</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>F&amp;older:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bro&amp;wse...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose the folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose the chapter file to cut at.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Times are HH:MM:SS.mmm, MM:SS or seconds, each later than the one before: &quot;%1&quot; is not.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Type the times to cut at.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Type the length of each part, as HH:MM:SS.mmm, MM:SS or seconds.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Looking for silences…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file&apos;s own &amp;chapters (it has none)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Split MP3</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%n of the parts&apos; files exist already in %1. Replace them?</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>&amp;Replace</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; lies past the end of the file.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tessaro::SplitPartsModel</name>
    <message>
        <source>Number</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Length</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Title</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File Name</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tessaro::StandardPreferencesPage</name>
    <message>
        <source>&amp;Save  ID3 tag to output mp3 file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Standard</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ID3 tag options:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Joined file:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add a &amp;chapter for each input file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;One chapter for the parts of a title (&quot;Chapter 3 (1/2)&quot;, &quot;Chapter 3 (2/2)&quot;)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy the first input&apos;s co&amp;ver picture</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Join seamlessly (re-encodes a few frames at each join)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Level the loudness of the inputs (changes gain only, no re-encoding)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Re-encode inputs of another format to match the first</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy the &amp;tag the inputs share (album, artist, genre, …)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Write the tag as ID3v2.3 (for Windows and older players)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Silence &amp;between inputs:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Level as one &amp;album</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Where the inputs&apos; tags differ, copy the &amp;first input&apos;s values</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tessaro::StatusArea</name>
    <message>
        <source>%1, reading figures…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Merge progress</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop the merge; the output file stays as it was (Esc)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Merging…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ready</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Splitting…</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tessaro::TagEditorDialog</name>
    <message>
        <source>ID3 tag editor</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Main ID3 tag:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Album:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A&amp;rtist:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Title:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Year:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Comment:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The tag is written into the joined file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The tag is not written into the joined file while &quot;Save ID3 tag&quot; is off in File &gt; Preferences.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enter an integer.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enter a year from 0 to %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Co&amp;ver:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>none</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>C&amp;hoose...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Re&amp;move</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot use %1 as the cover picture: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Album arti&amp;st:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Com&amp;poser/Narrator:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Genre:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tessaro::TrackInsertion</name>
    <message>
        <source>Drop</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it is not an MPEG audio file (.mp3, .mp2, .mpa)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MP3 file %1 has not been added: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MP3 file &quot;%1&quot; has been inserted!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Folder &quot;%1&quot; has been inserted with %2 MP3 files!</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) dropped during the merge have been added.</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
</context>
<context>
    <name>tessaro::TrackListModel</name>
    <message>
        <source>Disc %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Track %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(untitled)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Chapter: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tessaro::WorkspaceDocument</name>
    <message>
        <source>Tessaro Workspace file(*.twk)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Untitled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Redo: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>New</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Create new workspace.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Workspace has been opened.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it is not a Tessaro workspace file, or it cannot be read.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the file is damaged: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open workspace</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot open %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save workspace</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot save the workspace to %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Workspace has been saved.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save changes to %1?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tag</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
