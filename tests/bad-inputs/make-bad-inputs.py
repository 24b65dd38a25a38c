#!/usr/bin/env python3
"""Re-creates the committed bad inputs: small files that are broken in the ways MP3 files in the
wild are. The tests insert each into the track list, merge it and save it in a workspace. Two
more cases cannot be committed and are made by the tests themselves: a folder given as an input,
and a file whose name is not valid UTF-8."""
import os
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def frame(fill):
    """MPEG-1 Layer III, 128 kbit/s, 44100 Hz, no padding: a 4-byte header and 413 body bytes."""
    return bytes([0xFF, 0xFB, 0x90, 0x00]) + bytes([fill]) * 413


def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def id3v2(frames, size=None):
    """An ID3v2.3 tag holding `frames`; `size` overrides the size field."""
    return b"ID3\x03\x00\x00" + syncsafe(len(frames) if size is None else size) + frames


def text_frame(name, text):
    body = b"\x00" + text  # ISO-8859-1
    return name + len(body).to_bytes(4, "big") + b"\x00\x00" + body


def deflated_zeros(length):
    """A zlib stream of `length` zero bytes: about a thousandth of its inflated size."""
    packer = zlib.compressobj(9)
    chunk = bytes(1 << 20)
    packed = b"".join(packer.compress(chunk) for _ in range(length >> 20))
    return packed + packer.compress(bytes(length & ((1 << 20) - 1))) + packer.flush()


def compressed_frame(name, declared, packed):
    """An ID3v2.3 frame with the compression flag, declaring an inflated size of `declared`."""
    body = declared.to_bytes(4, "big") + packed
    return name + len(body).to_bytes(4, "big") + b"\x00\x80" + body


def stereo_fixture_audio():
    """The audio frames of the 44.1 kHz stereo fixture: LAME's header frame left out."""
    with open(os.path.join(HERE, "..", "fixtures", "cbr128_stereo.mp3"), "rb") as fixture:
        data = fixture.read()
    header = bytes([0xFF, 0xFB, 0x90, 0x64])
    assert data.startswith(header) and b"Info" in data[:64]
    return data[data.find(header, 4):]


FILES = {
    "empty.mp3": b"",
    "one-byte.mp3": b"\xFF",
    # A frame header cut after its third byte.
    "three-bytes.mp3": b"\xFF\xFB\x90",
    # Every pair of bytes is a sync; each header asks for a 52-byte unit.
    "all-ff.mp3": b"\xFF" * 4096,
    # Plain text whose name is only the extension.
    ".mp3": b"These are liner notes, not audio.\n",
    # The tag's size field claims 100000 bytes; the file ends long before, frames and all.
    "tag-size-past-end.mp3": id3v2(text_frame(b"TIT2", b"Long"), size=100000)
    + frame(0x11) + frame(0x22) + frame(0x33),
    # A frame header inside the tag's title text: the scan starts behind the tag, so it is no
    # frame.
    "tag-false-sync.mp3": id3v2(text_frame(b"TIT2", b"x\xFF\xFB\x90\x00y") + bytes(64))
    + frame(0x11) + frame(0x22),
    # Three frames, the last one cut after 100 of its 417 bytes.
    "truncated-last-frame.mp3": frame(0x11) + frame(0x22) + frame(0x33)[:100],
    # Five frames of 8 bytes in free format, too short to hold the side information a gain edit
    # writes, then half a second of audio of their stream, long enough to be levelled.
    "free-format-tiny-frames.mp3": (bytes([0xFF, 0xFB, 0x00, 0x64]) + bytes(4)) * 5
    + stereo_fixture_audio(),
    # Compressed frames that would inflate far past what a tag holds, between two plain ones: a
    # comment that says it holds 300 MiB, and a user's text that says 64 bytes and holds 64 MiB.
    "tag-inflates-past-limit.mp3": id3v2(
        text_frame(b"TIT2", b"Kept title")
        + compressed_frame(b"COMM", 300 << 20, deflated_zeros(300 << 20))
        + compressed_frame(b"TXXX", 64, deflated_zeros(64 << 20))
        + text_frame(b"TRCK", b"7"))
    + frame(0x11) + frame(0x22),
}

for name, data in FILES.items():
    with open(os.path.join(HERE, name), "wb") as out:
        out.write(data)
