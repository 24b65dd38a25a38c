#!/usr/bin/env python3
"""Helper of bench/seamless.sh.

`seamless-compare.py make FOLDER` writes a 30 s stereo 44.1 kHz music-like recording as float WAV
(recording.wav) and the three parts it is cut into as 16-bit WAV (part1.wav .. part3.wav).

`seamless-compare.py report TITLE RECORDING FOLDER NAME...` compares the decoded joins
FOLDER/NAME.wav of FOLDER/NAME.mp3, joined from FOLDER/p1.mp3 .. p3.mp3, with the recording and
prints one block of figures, with a last column for the parts decoded on their own
(FOLDER/p1.wav .. p3.wav) and put end to end: what the codec alone does.
"""
import struct
import sys

import numpy as np

from mp3frames import frames

RATE = 44100
LENGTH = 30 * RATE
# Cuts near 10 s and 20 s that fall inside MPEG frames (neither is a multiple of 1152), midway
# between two beats, so that the steps near a cut are the seam's and not a drum's.
CUTS = (441_037, 882_113)
FRAME = 1152
MAX_LAG = 2400
SILENCE = 1e-4
QUIET = 0.01  # -40 dBFS: a gap still holds the codec's ringing above SILENCE here and there


# ---------------------------------------------------------------------------------------------
# WAV files.

def write_wav(path, samples, pcm16=False):
    """A float WAV file, or a 16-bit PCM one of samples that lie on the 16-bit grid."""
    channels = samples.shape[1]
    if pcm16:
        data = np.round(samples * 32768).astype("<i2").tobytes()
        fmt = struct.pack("<HHIIHH", 1, channels, RATE, RATE * 2 * channels, 2 * channels, 16)
        chunks = b""
    else:
        data = np.ascontiguousarray(samples, dtype="<f4").tobytes()
        fmt = struct.pack("<HHIIHHH", 3, channels, RATE, RATE * 4 * channels, 4 * channels, 32, 0)
        chunks = b"fact" + struct.pack("<II", 4, len(samples))
    chunks = b"fmt " + struct.pack("<I", len(fmt)) + fmt + chunks
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 4 + len(chunks) + 8 + len(data)) + b"WAVE" + chunks)
        f.write(b"data" + struct.pack("<I", len(data)) + data)


def read_wav(path):
    """The samples of a 32-bit float WAV file (as ffmpeg writes them) as an array (n, channels)."""
    raw = open(path, "rb").read()
    if raw[:4] != b"RIFF" or raw[8:12] != b"WAVE":
        raise SystemExit("%s: not a WAV file" % path)
    at, channels, data = 12, None, None
    while at + 8 <= len(raw):
        kind, size = raw[at:at + 4], struct.unpack("<I", raw[at + 4:at + 8])[0]
        body = raw[at + 8:at + 8 + size]
        if kind == b"fmt ":
            tag, channels, rate = struct.unpack("<HHI", body[:8])
            bits = struct.unpack("<H", body[14:16])[0]
            if tag not in (3, 0xFFFE) or bits != 32 or rate != RATE:
                raise SystemExit("%s: not 32-bit float at %d Hz" % (path, RATE))
        elif kind == b"data":
            # ffmpeg leaves the size open (0 or all ones) when it cannot seek back: take the rest.
            data = raw[at + 8:] if size in (0, 0xFFFFFFFF) else body
            break
        at += 8 + size + (size & 1)
    if channels is None or data is None:
        raise SystemExit("%s: no fmt or data chunk" % path)
    count = len(data) // (4 * channels)
    return np.frombuffer(data[:count * 4 * channels], dtype="<f4").reshape(count, channels).astype(np.float64)


# ---------------------------------------------------------------------------------------------
# The recording.

def recording():
    rng = np.random.default_rng(20240611)
    t = np.arange(LENGTH) / RATE
    out = np.zeros((LENGTH, 2))

    # Sustained chords of harmonic tones, each fading into the next, with slow vibrato and a slow
    # swell: the cuts fall inside a held chord, where a gap or a jump is most audible.
    chords = [(130.81, 261.63, 329.63, 392.00), (110.00, 220.00, 261.63, 329.63),
              (87.31, 174.61, 220.00, 349.23), (98.00, 196.00, 246.94, 293.66),
              (130.81, 196.00, 261.63, 329.63)]
    span, fade = 6.0, 1.0
    for i, chord in enumerate(chords):
        start = int(i * span * RATE)
        end = min(LENGTH, int(((i + 1) * span + fade) * RATE))
        local = t[:end - start]
        duration = local[-1]
        envelope = np.minimum(1.0, local / 0.15) * np.exp(-local / 14.0)
        envelope *= 1.0 + 0.12 * np.sin(2 * np.pi * 0.7 * local + rng.uniform(0, 2 * np.pi))
        if end < LENGTH:  # crossfade into the next chord
            envelope *= np.clip((duration - local) / fade, 0.0, 1.0)
        for base in chord:
            vibrato = 1.0 + 0.004 * np.sin(2 * np.pi * rng.uniform(4.5, 5.5) * local + rng.uniform(0, 6.3))
            phase = 2 * np.pi * np.cumsum(base * vibrato) / RATE
            tone = np.zeros_like(local)
            for k in range(1, 9):
                if base * k > 5000:
                    break
                tone += np.sin(k * phase + rng.uniform(0, 2 * np.pi)) / k ** 2
            pan = rng.uniform(0.25, 0.75)
            voice = 0.25 * envelope * tone
            out[start:end, 0] += np.cos(pan * np.pi / 2) * voice
            out[start:end, 1] += np.sin(pan * np.pi / 2) * voice

    # Drums on the beat every 0.5 s from 0.25 s: a falling low tone and a short, dull tick.
    hit_length = int(0.18 * RATE)
    h = np.arange(hit_length) / RATE
    attack = np.minimum(1.0, h / 0.004)
    kick = np.sin(2 * np.pi * np.cumsum(55 + 110 * np.exp(-h / 0.025)) / RATE) * np.exp(-h / 0.05)
    for n, beat in enumerate(np.arange(0.25, 30.0, 0.5)):
        at = int(round(beat * RATE))
        tick = np.convolve(rng.standard_normal(hit_length), np.ones(24) / 24, "same") * np.exp(-h / 0.008)
        hit = attack * (0.9 * kick + 0.5 * tick) * (1.0 if n % 4 == 0 else 0.6) * rng.uniform(0.8, 1.0)
        stop = min(LENGTH, at + hit_length)
        out[at:stop] += hit[:stop - at, None] * np.array([0.55, 0.45])

    # Quiet pink-ish noise on both channels, as a room and a microphone leave it.
    spectrum = np.fft.rfft(rng.standard_normal((LENGTH, 2)), axis=0)
    spectrum /= np.sqrt(np.maximum(np.arange(len(spectrum)), 20))[:, None]
    noise = np.fft.irfft(spectrum, LENGTH, axis=0)
    out += noise / np.sqrt(np.mean(noise ** 2)) * 0.002

    out *= 10 ** (-3 / 20) / np.abs(out).max()  # peak at -3 dBFS
    # On the 16-bit grid: LAME 3.100 misjudges the level of float WAV input, so the parts reach
    # it as 16-bit PCM, and the recording holds exactly what they hold.
    return np.round(out * 32768) / 32768


def make(folder):
    audio = recording()
    write_wav(folder + "/recording.wav", audio)
    bounds = (0,) + CUTS + (LENGTH,)
    for i in range(3):
        write_wav(folder + "/part%d.wav" % (i + 1), audio[bounds[i]:bounds[i + 1]], pcm16=True)


# ---------------------------------------------------------------------------------------------
# MPEG audio frames.

def audio_frames(path):
    """The frames that carry audio: all but a leading "Xing" or "Info" header frame."""
    found = [frame for _, frame, _, _ in frames(path)]
    if found and (b"Xing" in found[0][:64] or b"Info" in found[0][:64]):
        found = found[1:]
    return found


def copied(inputs, output):
    present = set(frame for _, frame, _, _ in frames(output))
    wanted = [f for path in inputs for f in audio_frames(path)]
    hits = sum(f in present for f in wanted)
    return "%d of %d input frames copied byte for byte (%.1f %%)" % (
        hits, len(wanted), 100.0 * hits / max(1, len(wanted)))


# ---------------------------------------------------------------------------------------------
# Measurements.

def fit(signal, reference, starts, length, centres):
    """For each window signal[s:s+length], searching lags within centre +- MAX_LAG (a lag L
    meaning signal[j] ~ reference[j - L]): the lag of the highest normalised cross-correlation,
    and the signal-to-noise ratio (dB) at the lag of the least squared error."""
    starts = np.asarray(starts)
    centres = np.asarray(centres)
    span = length + 2 * MAX_LAG
    pad = span + int(np.abs(centres).max()) + max(0, len(signal) - len(reference))
    ref = np.concatenate([np.zeros((pad, 2)), reference, np.zeros((pad, 2))])
    sig = np.concatenate([signal, np.zeros((length, 2))])
    index = np.arange(length)
    windows = sig[starts[:, None] + index]  # (w, length, 2)
    base = starts - centres - MAX_LAG + pad  # reference window start, for the largest lag
    near = ref[base[:, None] + np.arange(span)]  # (w, span, 2)
    size = 1 << int(np.ceil(np.log2(span)))
    product = np.fft.rfft(near, size, axis=1) * np.conj(np.fft.rfft(windows, size, axis=1))
    dots = np.fft.irfft(product, size, axis=1)[:, :2 * MAX_LAG + 1].sum(axis=2)
    energy = np.concatenate([np.zeros((len(starts), 1)), np.cumsum((near ** 2).sum(axis=2), axis=1)], axis=1)
    ref_energy = energy[:, length:length + 2 * MAX_LAG + 1] - energy[:, :2 * MAX_LAG + 1]
    own = (windows ** 2).sum(axis=(1, 2))[:, None]
    error = np.maximum(own - 2 * dots + ref_energy, 1e-20)
    best = np.argmin(error, axis=1)
    rows = np.arange(len(starts))
    snr = 10 * np.log10(np.maximum(ref_energy[rows, best], 1e-20) / error[rows, best])
    correlation = np.argmax(dots / np.sqrt(np.maximum(ref_energy, 1e-20)), axis=1)
    lags = centres + MAX_LAG - correlation
    return lags, snr


def longest_run(mask):
    if not mask.any():
        return 0
    edges = np.diff(np.concatenate([[0], mask.astype(np.int8), [0]]))
    return int((np.flatnonzero(edges == -1) - np.flatnonzero(edges == 1)).max())


def measure(signal, reference):
    """The figures of one decoded join, as a dict of printable strings."""
    ms = RATE / 1000
    n = len(signal)
    if n < LENGTH // 2:  # too little to measure: a broken join
        return {"length": "%d (%+d)" % (n, n - len(reference))}
    lag_length, lag_offset = int(0.5 * RATE), int(0.3 * RATE)
    # Where the audio lies: measured 0.3 s in, then 0.3 s after each cut. Each search is centred
    # on the lag before it, so that shifts that add up over the cuts stay within reach.
    lags = [0]
    for at in (0,) + CUTS:
        start = min(max(0, at + lags[-1] + lag_offset), max(0, n - lag_length))
        lags.append(int(fit(signal, reference, [start], lag_length, [lags[-1]])[0][0]))
    lags = lags[1:]
    seams = [cut + lags[i] for i, cut in enumerate(CUTS)]  # the cuts' places in the join

    steps = np.abs(np.diff(signal, axis=0)).max(axis=1)
    reach = int(0.2 * RATE)
    elsewhere = np.ones(n, bool)
    for seam in seams:
        elsewhere[max(0, seam - reach):seam + reach] = False

    def runs(threshold):  # the longest runs below threshold at each cut, and elsewhere (ms)
        below = (np.abs(signal) < threshold).all(axis=1)
        near = [longest_run(below[max(0, s - reach):s + reach]) / ms for s in seams]
        return " / ".join("%.1f" % r for r in near) + " | %.1f" % (longest_run(below & elsewhere) / ms)

    step_elsewhere = max(steps[elsewhere[:-1]].max(), 1e-12)
    clicks = [steps[max(0, s - reach):s + reach].max() / step_elsewhere for s in seams]

    # SNR of 100 ms windows: eleven centred on each cut and 0.1 s apart, the middle one across
    # the cut, so that a jump right at it falls inside a window; and every other whole one.
    window = int(0.1 * RATE)
    around = 5 * window + window // 2
    near_starts = [[s - around + k * window for k in range(11)] for s in seams]

    def section_lag(at):  # the lag of the stretch between two cuts that holds this sample
        return lags[int(np.searchsorted(seams, at, side="right"))]

    others = [s for s in range(0, n - window + 1, window)
              if all(s + window <= seam - around or s >= seam + around for seam in seams)]
    starts = [min(max(0, s), n - window) for group in near_starts for s in group] + others
    centres = [section_lag(s + window // 2) for s in starts]
    _, snr = fit(signal, reference, starts, window, centres)
    count = sum(len(g) for g in near_starts)
    near_snr = snr[:count].reshape(len(seams), -1).min(axis=1)

    diff = n - len(reference)
    return {
        "length": "%d (%+d)" % (n, diff),
        "frames": "%+.2f" % (diff / FRAME),
        "lags": " / ".join("%+d" % lag if lag else "0" for lag in lags),
        "silence": runs(SILENCE),
        "quiet": runs(QUIET),
        "clicks": " / ".join("%.2f" % c for c in clicks),
        "snr": " / ".join("%.1f" % s for s in near_snr) + " | %.1f" % np.median(snr[count:]),
    }


def report(title, recording_path, folder, names):
    reference = read_wav(recording_path)
    columns, notes = [], []
    for name in names:
        columns.append((name, measure(read_wav("%s/%s.wav" % (folder, name)), reference)))
        inputs = ["%s/p%d.mp3" % (folder, i + 1) for i in range(3)]
        notes.append("%s: %s" % (name, copied(inputs, "%s/%s.mp3" % (folder, name))))
    parts = np.concatenate([read_wav("%s/p%d.wav" % (folder, i + 1)) for i in range(3)])
    columns.append(("parts alone", measure(parts, reference)))

    rows = [("length in samples (vs recording)", "length"),
            ("difference in frames of 1152", "frames"),
            ("lag at start / after cut 1 / 2", "lags"),
            ("silence <1e-4 at cut 1 / 2 | elsewhere ms", "silence"),
            ("quiet <-40 dBFS at cut 1 / 2 | elsewhere ms", "quiet"),
            ("click ratio at cut 1 / 2", "clicks"),
            ("SNR min near cut 1 / 2 | median elsewhere dB", "snr")]
    width = max(24, max(len(c.get(v, "-")) for _, c in columns for _, v in rows) + 2)
    print("== %s: recording of %d samples cut at %s" % (title, LENGTH, " and ".join(map(str, CUTS))))
    print("  %-46s" % "" + "".join("%-*s" % (width, name) for name, _ in columns).rstrip())
    for label, key in rows:
        print("  %-46s" % label + "".join("%-*s" % (width, c.get(key, "-")) for _, c in columns).rstrip())
    for note in notes:
        print("  " + note)


def main(argv):
    if len(argv) == 3 and argv[1] == "make":
        make(argv[2])
    elif len(argv) >= 5 and argv[1] == "report":
        report(argv[2], argv[3], argv[4], argv[5:])
    else:
        raise SystemExit("usage: seamless-compare.py make FOLDER | report TITLE RECORDING FOLDER NAME...")


if __name__ == "__main__":
    main(sys.argv)
