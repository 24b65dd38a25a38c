#!/usr/bin/env python3
"""Writes the hand-made seeds of the workspace, preferences, folder walk, seam, chapter-file and
copied tags corpora (the stream reader's seeds are the MP3 fixtures and the bad inputs in tests/).
Inputs that fuzzing found are named by their SHA-1, as libFuzzer names them; these seeds are named
"seed-...".

    .twk:  "TWKS", four 28-byte text slots (4 ignored bytes, up to 7 UTF-16LE units and a 0 unit
           in 16 bytes, the length, the capacity marker 7), the year and N (int32), N records
           (B = 2 x (units + 1), the path, a 0 unit), then optionally "TWKX" and four records
           holding the full texts, then optionally "TWKY", its length L and L bytes of records
           (a 4-byte kind, the payload's length and the payload) of the extras.
    .dat:  records of a 512-byte UTF-16LE name, 4 reserved bytes, D (uint32) and D data bytes.
    tree:  records of the kind (0 folder, 1 file, 2 link, 3 dangling link, 4 FIFO), the parent
           (the number of an earlier folder; any other for the top), the link's target (the
           number of an earlier entry; any other for the top), the name's length and the name.
    .txt:  chapters in any form tools exchange them in, UTF-8: lines "HH:MM:SS.mmm Title" (or
           "MM:SS Title"), a CUE sheet, FFMETADATA, Podcasting 2.0 JSON or Audacity labels.
    tags:  a byte of choices (bit 0: the joined tag in ID3v2.3, bit 1: two inputs), with two
           inputs where the first one's tag ends (uint16), then the inputs' ID3v2 tags.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def u32(value):
    return struct.pack("<I", value & 0xFFFFFFFF)


def slot(text):
    units = text[:7].encode("utf-16-le")
    return bytes(4) + units + bytes(16 - len(units)) + u32(len(text[:7])) + u32(7)


def record(text):
    units = text.encode("utf-16-le") + bytes(2)
    return u32(len(units)) + units


def workspace(texts, year, paths, count=None, extras=b""):
    data = b"TWKS" + b"".join(slot(t) for t in texts) + u32(year)
    data += u32(len(paths) if count is None else count) + b"".join(record(p) for p in paths)
    if any(len(t) > 7 for t in texts):
        data += b"TWKX" + b"".join(record(t) for t in texts)
    if extras:
        data += b"TWKY" + u32(len(extras)) + extras
    return data


def extra(kind, payload):
    return kind + u32(len(payload)) + payload


def extra_text(kind, text):
    return kind + record(text)


def marks(*entries):
    return extra(b"MARK", b"".join(u32(start) + record(title) for start, title in entries))


def titles(*texts):
    return extra(b"TITL", b"".join(record(t) for t in texts))


def pref(name, data):
    units = name.encode("utf-16-le")
    return units + bytes(512 - len(units)) + u32(0) + u32(len(data)) + data


def damaged_frame(name, frame, at, value):
    """The fixture with byte `at` of its frame number `frame` (from 0) set to `value`."""
    with open(os.path.join(HERE, "..", "tests", "fixtures", name), "rb") as fixture:
        data = bytearray(fixture.read())
    kbits = [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320]
    start = 0
    for _ in range(frame):  # MPEG-1 Layer III frames at 44.1 kHz: 144 * bitrate / rate bytes
        start += 144000 * kbits[data[start + 2] >> 4] // 44100 + (data[start + 2] >> 1 & 1)
    data[start + at] = value
    return bytes(data)


def tree(*entries):
    return b"".join(bytes([kind, parent, target, len(name)]) + name
                    for kind, parent, target, name in entries)


TOP = 255


def syncsafe(value):
    return bytes([(value >> 21) & 0x7F, (value >> 14) & 0x7F, (value >> 7) & 0x7F, value & 0x7F])


def id3_frame(version, frame_id, body, flags=b"\x00\x00"):
    size = syncsafe(len(body)) if version == 4 else struct.pack(">I", len(body))
    return frame_id + size + flags + body


def compressed_frame(version, frame_id, body):
    """A frame whose body is deflated, behind the size it inflates to."""
    if version == 3:
        return id3_frame(3, frame_id, struct.pack(">I", len(body)) + zlib.compress(body),
                         b"\x00\x80")
    return id3_frame(4, frame_id, syncsafe(len(body)) + zlib.compress(body), b"\x00\x09")


def id3_tag(version, frames, flags=0):
    return b"ID3" + bytes([version, 0, flags]) + syncsafe(len(frames)) + frames


def book(version, title, track):
    """An audiobook chapter's tag: what the inputs share, then what is their own."""
    text = b"\x03" if version == 4 else b"\x00"
    return b"".join([
        id3_frame(version, b"TALB", text + b"Das Buch"),
        id3_frame(version, b"TPE1", text + b"Autorin"),
        id3_frame(version, b"TCON", text + b"(101)"),
        id3_frame(version, b"TXXX", text + b"SERIES\x00Saga"),
        id3_frame(version, b"COMM", text + b"eng\x00Ungek\xc3\xbcrzt" if version == 4
                  else b"\x01eng\xff\xfe\x00\x00\xff\xfeN\x00o\x00t\x00e\x00"),
        id3_frame(version, b"TIT2", text + title),
        id3_frame(version, b"TRCK", text + track),
    ])


def copied(two, id3v23, *tags):
    choice = (2 if two else 0) | (1 if id3v23 else 0)
    split = struct.pack("<H", len(tags[0])) if two else b""
    return bytes([choice]) + split + b"".join(tags)


def unsynchronised(frames):
    """An ID3v2.3 tag whose every 0xFF is followed by a 0x00, as its flag tells."""
    return id3_tag(3, frames.replace(b"\xff", b"\xff\x00"), 0x80)


SEEDS = {
    "workspace/seed-empty": workspace(["", "", "", ""], 0, []),
    "workspace/seed-short": workspace(["Best", "ABC", "Live at", "2008"], 2008,
                                      ["/music/a.mp3", "/music/mü ß.mp3", "/music/a.mp3"]),
    "workspace/seed-long-texts": workspace(["An album longer than seven", "", "Title", "x"], -3,
                                           ["relative/😀.mp3"]),
    "workspace/seed-negative-count": workspace(["A", "", "", ""], 1, ["/ignored.mp3"], count=-1),
    "workspace/seed-extras": workspace(
        ["Book", "Ann", "", ""], 2020, ["/b/1.mp3", "/b/2.mp3", "/b/3.mp3"],
        extras=extra_text(b"GENR", "Hörbuch") + extra_text(b"AART", "Various")
        + extra_text(b"COMP", "Narrator") + extra_text(b"COVR", "/b/cover.jpg")
        + extra_text(b"CHPF", "/b/chapters.txt") + marks((0, "Own"), (2, ""), (1, "Part 2"))
        + titles("One", "", "Three 😀")),
    "workspace/seed-extras-after-long-texts": workspace(
        ["An album longer than seven", "", "", ""], 0, ["/a.mp3"],
        extras=extra(b"XTRA", b"odd") + extra_text(b"GENR", "Jazz") + extra_text(b"GENR", "Rock")),
    "workspace/seed-extras-damaged": workspace(
        ["", "", "", ""], 0, ["/a.mp3"],
        extras=extra_text(b"GENR", "Jazz") + marks((1, ""), (0, "")) + b"MARK" + u32(0xFFFFFFF0)),
    "preferences/seed-on": pref("SaveID3Tag", b"\x01"),
    "preferences/seed-off": pref("SaveID3Tag", b"\x00"),
    "preferences/seed-two-records": pref("Other", b"abc") + pref("SaveID3Tag", b"\x01"),
    "preferences/seed-empty-record-ends": pref("SaveID3Tag", b"\x01") + pref("Gap", b"")
    + pref("SaveID3Tag", b"\x00"),
    "folder_walk/seed-book": tree((1, TOP, 0, b"Chapter 10.mp3"), (1, TOP, 0, b"Chapter 2.mp3"),
                                  (0, TOP, 0, b"CD1"), (1, 2, 0, b"Track 1.MP3"),
                                  (1, 2, 0, b"cover.jpg"), (1, TOP, 0, b".hidden.mp3")),
    "folder_walk/seed-refusals": tree((1, TOP, 0, b"\xff.mp3"), (0, TOP, 0, b"\xfe"),
                                      (1, 1, 0, b"in.mp3"), (2, TOP, TOP, b"up"),
                                      (2, TOP, 0, b"linked.mp3"), (3, TOP, 0, b"gone.mp3"),
                                      (4, TOP, 0, b"pipe.mp3"), (4, TOP, 0, b"pipe")),
    "folder_walk/seed-accents": tree((1, TOP, 0, b"cafe\xcc\x81 2.mp3"),
                                     (1, TOP, 0, b"caf\xc3\xa9 10.mp3"),
                                     (1, TOP, 0, b"Caf\xc3\xa9 1.mp3")),
    # Side information that decodes to samples far beyond full scale, on which LAME asserts.
    "seam/seed-damaged-side-info": damaged_frame("cbr128_stereo.mp3", 3, 24, 0xE9),
    "copied_tags/seed-v24-two": copied(True, False, id3_tag(4, book(4, b"Kapitel 1", b"1")),
                                       id3_tag(4, book(4, b"Kapitel 2", b"2"))),
    "copied_tags/seed-v23-two-as-v23": copied(True, True, id3_tag(3, book(3, b"One", b"1/2")),
                                              id3_tag(3, book(3, b"Two", b"2/2"))),
    "copied_tags/seed-v24-and-v23": copied(True, False, id3_tag(4, book(4, b"One", b"1")),
                                           id3_tag(3, book(3, b"Two", b"2"))),
    "copied_tags/seed-compressed": copied(
        True, False,
        id3_tag(3, compressed_frame(3, b"TALB", b"\x00Packed album")
                + compressed_frame(3, b"TXXX", b"\x00note\x00" + b"x" * 200)),
        id3_tag(4, compressed_frame(4, b"TALB", b"\x03Packed album")
                + id3_frame(4, b"TXXX", b"\x03note\x00" + b"x" * 200))),
    "copied_tags/seed-unsynchronised": copied(
        True, True, unsynchronised(id3_frame(3, b"TPE1", b"\x00Bj\xffrk")
                                   + id3_frame(3, b"TALB", b"\x00\xff\xe0 Album")),
        id3_tag(3, id3_frame(3, b"TPE1", b"\x00Bj\xffrk") + id3_frame(3, b"TALB", b"\x00x"))),
    "copied_tags/seed-one-input": copied(False, False, id3_tag(4, book(4, b"Alone", b"1"))),
    "chapter_file/seed-plain":
    b"00:00:00.000 Intro\n00:03:12.418 Chapter 2\n01:02:03.5 Chapter 3\n",
    "chapter_file/seed-bom-crlf-blank":
    b"\xef\xbb\xbf0:00:00 Anfang\r\n\r\n00:00:01,5\tZweiter Teil\r\n",
    "chapter_file/seed-unicode":
    "00:00:00 Ünïcödé — 😀\n00:00:01.25 \u00a0Ende\u2028x\n".encode(),
    # Past 255 chapters the tag lists tables of them.
    "chapter_file/seed-300-chapters": "".join(
        f"00:{i // 60:02}:{i % 60:02}.{i:03} Piece {i + 1}\n" for i in range(300)).encode(),
    "chapter_file/seed-backwards": b"00:00:01.000 A\n00:00:00.500 B\n",
    "chapter_file/seed-past-end": b"00:00:00.000 A\n10:00:00.000 B\n",
    "chapter_file/seed-not-a-chapter": b"00:00:00.000 A\n1:2:3 B\n00:61:00 C\n",
    "chapter_file/seed-no-title": b"00:00:00.000 A\n00:00:02.000\n",
    "chapter_file/seed-control-characters": b"00:00:00.000 A\x00B\n00:00:01 \x1b[31mC\x7f\n",
    "chapter_file/seed-not-utf8": b"00:00:00.000 \xff\n",
    "chapter_file/seed-show-notes": b"0:00 Intro\n12:30.5 Topic\n1:02:03 Outro\n",
    "chapter_file/seed-cue": b'REM GENRE Audiobook\nPERFORMER "Ada"\nTITLE "Book"\n'
    b'FILE "book.mp3" MP3\n  TRACK 01 AUDIO\n    TITLE "One"\n    INDEX 00 00:00:00\n'
    b'    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    TITLE "Two "quoted""\n'
    b'    INDEX 01 01:02:74\n',
    # A CD ripped into a file for each track: the gap before track 2 at the end of the first.
    "chapter_file/seed-cue-rip": b'REM GENRE Ambient\r\nREM DATE 2003\r\nPERFORMER "Ada"\r\n'
    b'TITLE "CD"\r\nFILE "01 - Intro.wav" WAVE\r\n  TRACK 01 AUDIO\r\n    TITLE "Intro"\r\n'
    b'    INDEX 01 00:00:00\r\n  TRACK 02 AUDIO\r\n    TITLE "Morning"\r\n    FLAGS DCP\r\n'
    b'    INDEX 00 03:58:60\r\nFILE "02 - Morning.wav" WAVE\r\n    INDEX 01 00:00:00\r\n'
    b'FILE "CD1\\03 - Night.flac" WAVE\r\n  TRACK 03 AUDIO\r\n    TITLE "Night"\r\n'
    b'    INDEX 00 00:00:00\r\n    INDEX 01 00:02:28\r\n',
    "chapter_file/seed-cue-files-refused": b'TRACK 01 AUDIO\nTITLE A\nINDEX 01 00:00:00\n'
    b'FILE b.wav WAVE\nTRACK 02 AUDIO\nTITLE B\nINDEX 01 00:00:10\nFILE "a.wav" WAVE\n'
    b'FILE "b.mp3" MP3\nTRACK 03 AUDIO\nTITLE C\nINDEX 01 00:00:05\n',
    "chapter_file/seed-ffmetadata": b";FFMETADATA1\ntitle=Book\n[CHAPTER]\nTIMEBASE=1/44100\n"
    b"START=0\nEND=88200\ntitle=One\\=1\n[STREAM]\ntitle=x\n[CHAPTER]\nSTART=2000000000\n"
    b"title=Two \\;\\#\\\\ multi\\\nline\n",
    # Only INDEX 01 starts a track: a pregap's INDEX 00 before it, an INDEX 02 after it.
    "chapter_file/seed-cue-indexes": b'FILE "book.mp3" MP3\n  TRACK 01 AUDIO\n    TITLE "A"\n'
    b'    INDEX 01 00:00:00\n    INDEX 02 00:00:10\n  TRACK 02 AUDIO\n    TITLE "B"\n'
    b'    INDEX 00 00:00:15\n    INDEX 01 00:00:20\n    INDEX 02 00:00:30\n',
    # ffmpeg reads a title's key in any case, the times' in capitals alone.
    "chapter_file/seed-ffmetadata-capitals": b";FFMETADATA1\n[CHAPTER]\nTIMEBASE=1/1000\n"
    b"START=0\nEND=200\nTITLE=Upper\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=400\nEND=500\n"
    b"title=a\nTiTlE=b\n[CHAPTER]\nTIMEBASE=1/1000\nstart=600\nEND=700\n",
    "chapter_file/seed-json": b'{"version": "1.2.0", "chapters": [{"startTime": 0, "title": "Intro"'
    b', "img": "a.jpg"}, {"startTime": 65.5, "title": "Ad", "toc": false}, {"startTime": 130.25, '
    b'"title": "Main \\u00e9\\ud83d\\ude00"}]}',
    "chapter_file/seed-labels": b"0.000000\t0.000000\tOne\n\\\t100.0\t2000.0\n"
    b"12,500000\t20,000000\tTwo\n",
    # What a file says besides starts and titles: ends before the next start, links, no title.
    "chapter_file/seed-json-links": b'{"version": "1.2.0", "chapters": [{"startTime": 0, '
    b'"endTime": 1.5, "title": "Intro", "url": "https://example.com/\xc3\xbc x", "img": '
    b'"https://example.com/a.jpg"}, {"startTime": 2, "img": "b.jpg", "toc": false}, '
    b'{"startTime": 3, "title": "Ends in \\\\"}]}',
    "chapter_file/seed-ffmetadata-ends": b";FFMETADATA1\r\n[CHAPTER]\r\n;note\r\n"
    b"TIMEBASE=1/44100\r\nSTART=0\r\nEND=22050\r\nTitle=a\\;b\\\\ \r\n[STREAM]\r\n"
    b"title=s\r\n[CHAPTER]\r\nSTART=2000000000\r\nEND=2500000000\r\n",
    "chapter_file/seed-ffmetadata-run-on": b";FFMETADATA1\n[CHAPTER]\nSTART=0\nEND=5\n"
    b"title=A\\\\\n[CHAPTER]\nSTART=10\nEND=20\ntitle=B\n",
    "chapter_file/seed-separators": "0:00 - Intro\n1:00 \u2014 Zwei\n2:00\n3:00 | - x\n"
    "4:00 -y\n".encode(),
    "chapter_file/seed-cue-untitled": b'FILE "a" MP3\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n'
    b'TRACK 02 AUDIO\nTITLE "B\\"\nINDEX 01 00:00:01\n',
    "chapter_file/seed-labels-ends": b"0.5\t1.0\tA\n2.0\t2.0\t\n3.0\t-1\tC\n",
}

for name, data in SEEDS.items():
    os.makedirs(os.path.dirname(os.path.join(HERE, "corpus", name)), exist_ok=True)
    with open(os.path.join(HERE, "corpus", name), "wb") as out:
        out.write(data)
