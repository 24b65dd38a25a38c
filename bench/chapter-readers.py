#!/usr/bin/env python3
"""Exports chapters whose titles other readers misread, in every form, and prints for each form
and reader how many chapters it reads and whether they are those the joined file's chapter frames
hold, as the export says it writes them: control characters and line and paragraph separators as
a space, the white space around a title dropped, and in a CUE sheet a " as ' and in it and in
FFMETADATA a backslash that ends a title as U+2216. The titles come twice: from the inputs' own
tags (--chapters), and from a JSON chapter file (--chapter-file), which adds a chapter without a
title and one whose end comes before the next start.

Readers: cuetools (cueprint, cuebreakpoints), ffmpeg (-map_metadata/-map_chapters into an MP3,
then mutagen) and ffprobe alone, Python's json, Python's str.splitlines() for the lines and the labels (as any
reader that splits lines at every line break does), and tessaro-join itself (--chapter-file, then
the chapter frames of what it joins). Chapter frames are read with mutagen.
Usage: bench/chapter-readers.py [build folder]
"""
import json
import os
import re
import subprocess
import sys
import tempfile

from mutagen.id3 import ID3

HERE = os.path.dirname(os.path.abspath(__file__))
BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "build"))
JOIN = os.path.join(BUILD, "tessaro-join")
FIXTURE = os.path.join(HERE, "..", "tests", "fixtures", "cbr128_stereo.mp3")
TITLES = ["Ends in \\", "Two at the end \\\\", '"Quoted" and \'single\'',
          "Line\u2028Paragraph\u2029End", "a=b; c#d \\= e", "  Spaced  ", "- Dash first",
          "\u2014", ": Colon | bar", "#hash", ";semi", "[CHAPTER]", "title=x", "Tab\there",
          "\u00dcbergr\u00f6\u00dfe \u2713"]
FORMS = {"lines": "txt", "cue": "cue", "ffmetadata": "ffmeta", "json": "json", "labels": "labels"}


def run(*command):
    done = subprocess.run(command, capture_output=True, encoding="utf-8", errors="replace")
    if done.returncode != 0:
        raise RuntimeError(f"{os.path.basename(command[0])}: {done.stderr.strip()[:200]}")
    return done.stdout


def frames_of(path):
    """Title, start and end in ms of each chapter frame of the MP3 at `path`, as mutagen reads
    them: ffprobe shows a chapter without a title by its element ID ("chp3")."""
    chapters = sorted(ID3(path).getall("CHAP"), key=lambda c: c.start_time)
    return [(str(c.sub_frames["TIT2"]) if "TIT2" in c.sub_frames else "", c.start_time,
             c.end_time) for c in chapters]


def chapters_of(info):
    """Title, start and end in ms of each chapter ffprobe's JSON `info` gives."""
    return [(c.get("tags", {}).get("title", ""), round(float(c["start_time"]) * 1000),
             round(float(c["end_time"]) * 1000)) for c in json.loads(info)["chapters"]]


def exported(title, form):
    """`title` as the export says it writes it in `form`."""
    title = re.sub("[\u0000-\u001f\u007f-\u009f\u2028\u2029]", " ", title).strip(" \t\ufeff")
    if form == "cue":
        title = title.replace('"', "'")
    if form in ("cue", "ffmetadata") and title.endswith("\\"):
        title = title[:-1] + "\u2216"
    return title


def read_cue(path, joined):
    # cueprint has no way to say "no title" but an empty one, which suits.
    titles = run("cueprint", "-d", "", "-t", "%t\\n", path).split("\n")[:-1]
    breaks = run("cuebreakpoints", "--append-gaps", path).split()
    starts = [0] + [round((int(m) * 60 + int(s)) * 1000 + int(f) * 40 / 3)
                    for m, s, f in (re.match(r"(\d+):(\d+)\.(\d+)", b).groups() for b in breaks)]
    return list(zip(titles, starts))


def read_ffprobe(path, joined):
    return chapters_of(run("ffprobe", "-v", "error", "-f", "ffmetadata", "-show_chapters", "-of",
                           "json", path))


def read_ffmpeg(path, joined):
    remuxed = path + ".mp3"
    run("ffmpeg", "-v", "error", "-y", "-i", joined, "-i", path, "-map", "0", "-map_metadata",
        "1", "-map_chapters", "1", "-c", "copy", remuxed)
    return frames_of(remuxed)


def read_json(path, joined):
    with open(path, encoding="utf-8") as f:
        chapters = json.load(f)["chapters"]
    return [(c.get("title", ""), round(c["startTime"] * 1000)) +
            ((round(c["endTime"] * 1000),) if "endTime" in c else ()) for c in chapters]


def read_lines(path, joined):
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    read = []
    for line in lines:
        match = re.match(r"(\d+):(\d\d):(\d\d)\.(\d{3})(?: (?:[-\u2013\u2014:|](?= |$))?(.*))?$",
                         line)
        h, m, s, ms, title = match.groups() if match else (0, 0, 0, 0, "<not a chapter>")
        read.append(((title or "").strip(), ((int(h) * 60 + int(m)) * 60 + int(s)) * 1000 +
                     int(ms)))
    return read


def read_labels(path, joined):
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    labels = [line.split("\t", 2) + [""] * (3 - len(line.split("\t", 2))) for line in lines]
    return [(title, round(float(start) * 1000), round(float(end) * 1000))
            for start, end, title in labels]


def read_ours(path, joined):
    again = path + ".again.mp3"
    run(JOIN, "-q", "--chapter-file", path, "-o", again, *INPUTS)
    frames = frames_of(again)
    # The lines and a CUE sheet tell no ends.
    return [f[:2] for f in frames] if path.endswith((".txt", ".cue")) else frames


READERS = {"lines": [("splitlines", read_lines)], "cue": [("cuetools", read_cue)],
           "ffmetadata": [("ffprobe", read_ffprobe), ("ffmpeg remux", read_ffmpeg)], "json": [("python json", read_json)],
           "labels": [("splitlines", read_labels)]}


def check(source, joined, form, path):
    frames = frames_of(joined)
    for reader, read in READERS[form] + [("tessaro-join", read_ours)]:
        try:
            got = read(path, joined)
        except (RuntimeError, ValueError, KeyError) as failure:
            print(f"{source:6} {form:10} {reader:12} fails: {failure}")
            continue
        wanted = [(exported(title, form),) for title, _, _ in frames]
        titles_ok = [g[0] for g in got] == [w[0] for w in wanted]
        # A CUE sheet's starts are to the nearest of its frames.
        slack = 7 if form == "cue" else 0
        starts_ok = len(got) == len(frames) and all(
            abs(g[1] - f[1]) <= slack for g, f in zip(got, frames))
        # Where a reader tells ends, those of the frames.
        ends_ok = all(len(g) < 3 or g[2] == f[2] for g, f in zip(got, frames))
        verdict = "alike" if titles_ok and starts_ok and ends_ok else "DIFFERENT"
        print(f"{source:6} {form:10} {reader:12} {len(got):3} of {len(frames):3} chapters  {verdict}")
        if verdict != "alike":
            for g, f in zip(got, frames):
                print(f"    read {g!r}  frame {f!r}  written {exported(f[0], form)!r}")


INPUTS = []


def main():
    with tempfile.TemporaryDirectory() as work:
        inputs = INPUTS
        for i, title in enumerate(TITLES):
            inputs.append(os.path.join(work, f"in{i:02}.mp3"))
            run("ffmpeg", "-v", "error", "-i", FIXTURE, "-c", "copy", "-metadata",
                f"title={title}", inputs[-1])
        chapters = [{"startTime": i * 0.5, "title": t} for i, t in enumerate(TITLES)
                    if "\t" not in t and "\u2028" not in t]
        chapters.insert(3, {"startTime": 1.25})  # no title
        chapters[0]["endTime"] = 0.25
        chapter_file = os.path.join(work, "source.json")
        with open(chapter_file, "w", encoding="utf-8") as f:
            json.dump({"version": "1.2.0", "chapters": chapters}, f)
        for source, how in (("tags", ["--chapters"]), ("json", ["--chapter-file", chapter_file])):
            for form, extension in FORMS.items():
                joined = os.path.join(work, f"{source}-{form}.mp3")
                path = os.path.join(work, f"{source}.{extension}")
                try:
                    run(JOIN, "-q", *how, "--export-chapters", path, "-o", joined, *inputs)
                except RuntimeError as failure:
                    print(f"{source:6} {form:10} fails: {failure}")
                    continue
                check(source, joined, form, path)


if __name__ == "__main__":
    main()
