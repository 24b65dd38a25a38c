"""A walk over the MPEG frames of a file, for the benchmarks' measurements."""

RATES = {3: (44100, 48000, 32000), 2: (22050, 24000, 16000), 0: (11025, 12000, 8000)}
KBPS1 = (0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320)
KBPS2 = (0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160)
def frames(path):
    """(offset, frame bytes, samples, rate) of every Layer III frame behind the ID3v2 tags."""
    data = open(path, "rb").read()
    at = 0
    while data[at:at + 3] == b"ID3":
        at += 10 + sum(b << (7 * (3 - i)) for i, b in enumerate(data[at + 6:at + 10]))
    while at + 4 <= len(data):
        version, bitrate, rate = (data[at + 1] >> 3) & 3, data[at + 2] >> 4, (data[at + 2] >> 2) & 3
        if (data[at] != 0xFF or data[at + 1] & 0xE0 != 0xE0 or version == 1 or bitrate in (0, 15)
                or rate == 3):
            at += 1
            continue
        hz = RATES[version][rate]
        samples = 1152 if version == 3 else 576
        kbps = (KBPS1 if version == 3 else KBPS2)[bitrate]
        length = samples // 8 * kbps * 1000 // hz + ((data[at + 2] >> 1) & 1)
        yield at, data[at:at + length], samples, hz
        at += length
def xing(frame):
    """Where the "Xing" or "Info" tag stands in the frame, or -1."""
    for tag in (b"Xing", b"Info"):
        if frame.find(tag, 0, 40) >= 0:
            return frame.find(tag, 0, 40)
    return -1
