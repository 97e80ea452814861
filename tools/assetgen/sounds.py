#!/usr/bin/python3
"""Synthesises every sound effect and the stage music of the game from scratch.

    /usr/bin/python3 tools/assetgen/sounds.py OUTDIR

writes OUTDIR/dat/sound/*.wav and *.mp3. Standard library only, plus the `lame` encoder for the MP3s.
The output is deterministic: noise comes from fixed-seed xorshift generators, nothing depends on the
clock or on temporary paths, and lame is run with fixed options, so two runs give byte-identical files.

The synthesiser is a small sfxr-style toolbox: band-limited pulse/saw, triangle, sine, sample-and-hold
noise and a metallic square cluster, driven by breakpoint curves for pitch, volume, duty and filter
cutoff, with vibrato, arpeggio steps and a state-variable filter. Every effect is finished the same way:
DC removed, short fades so that it starts and ends at zero, peak-normalised below full scale.
"""

import array
import math
import os
import subprocess
import sys
import tempfile
import wave

RATE = 44100
TWO_PI = 2.0 * math.pi


# --------------------------------------------------------------------------------------------------------
# Building blocks
# --------------------------------------------------------------------------------------------------------


class Noise:
    """xorshift32 white noise in [-1, 1): the same seed always gives the same sequence."""

    def __init__(self, seed):
        self.state = (seed * 2654435761 + 0x9E3779B9) & 0xFFFFFFFF or 1

    def next(self):
        x = self.state
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        self.state = x
        return x / 2147483648.0 - 1.0


def curve(points, n, rate=RATE, log=False):
    """Samples a breakpoint curve [(seconds, value), ...] into n values.

    Linear between the points (or linear in the logarithm, for frequencies), held flat outside them."""
    pts = sorted(points)
    out = [0.0] * n
    if len(pts) == 1:
        return [float(pts[0][1])] * n
    k = 0
    for i in range(n):
        t = i / rate
        while k < len(pts) - 2 and t >= pts[k + 1][0]:
            k += 1
        t0, v0 = pts[k]
        t1, v1 = pts[k + 1]
        if t <= t0:
            out[i] = v0
            continue
        if t >= t1:
            out[i] = v1
            continue
        u = (t - t0) / (t1 - t0)
        if log:
            out[i] = v0 * (v1 / v0) ** u
        else:
            out[i] = v0 + (v1 - v0) * u
    return out


def exp_env(n, attack, decay, rate=RATE, hold=0.0):
    """Percussive envelope: linear attack, optional hold, then exponential decay (time constant decay)."""
    out = [0.0] * n
    a = max(1, int(attack * rate))
    h = int(hold * rate)
    k = math.exp(-1.0 / (decay * rate))
    level = 1.0
    for i in range(n):
        if i < a:
            out[i] = i / a
        elif i < a + h:
            out[i] = 1.0
        else:
            level *= k
            out[i] = level
    return out


def poly_blep(t, dt):
    """Band-limited step correction, for naive pulse and saw waves."""
    if t < dt:
        t /= dt
        return t + t - t * t - 1.0
    if t > 1.0 - dt:
        t = (t - 1.0) / dt
        return t * t + t + t + 1.0
    return 0.0


METAL_RATIOS = (1.0, 1.342, 1.2312, 1.6532, 1.9523, 2.1523)


def oscillator(wave_kind, freqs, duties=None, seed=1, rate=RATE):
    """Runs one oscillator over a per-sample frequency list (Hz).

    For "noise" the frequency is the sample-and-hold rate: low values crunch, values near the sample
    rate give plain white noise."""
    n = len(freqs)
    out = [0.0] * n
    if wave_kind == "noise":
        rng = Noise(seed)
        phase = 1.0
        value = 0.0
        for i in range(n):
            phase += freqs[i] / rate
            if phase >= 1.0:
                phase -= math.floor(phase)
                value = rng.next()
            out[i] = value
        return out
    if wave_kind == "metal":
        phases = [0.0] * len(METAL_RATIOS)
        for i in range(n):
            s = 0.0
            for j, r in enumerate(METAL_RATIOS):
                p = phases[j] + freqs[i] * r / rate
                p -= math.floor(p)
                phases[j] = p
                s += 1.0 if p < 0.5 else -1.0
            out[i] = s / len(METAL_RATIOS)
        return out
    phase = 0.0
    for i in range(n):
        dt = freqs[i] / rate
        if wave_kind == "sine":
            v = math.sin(TWO_PI * phase)
        elif wave_kind == "triangle":
            v = 4.0 * phase - 1.0 if phase < 0.5 else 3.0 - 4.0 * phase
        elif wave_kind == "saw":
            v = 2.0 * phase - 1.0 - poly_blep(phase, dt)
        else:  # pulse; the duty offset keeps it free of DC
            d = duties[i] if duties else 0.5
            v = 1.0 if phase < d else -1.0
            v += poly_blep(phase, dt)
            q = phase - d + (1.0 if phase < d else 0.0)
            v -= poly_blep(q, dt)
            v -= 2.0 * d - 1.0
        out[i] = v
        phase += dt
        phase -= math.floor(phase)
    return out


def svf(samples, cutoffs, mode="low", q=0.707, rate=RATE):
    """Zero-delay-feedback state-variable filter with a per-sample cutoff list (Hz)."""
    k = 1.0 / q
    ic1 = ic2 = 0.0
    out = [0.0] * len(samples)
    last_fc = None
    a1 = a2 = a3 = 0.0
    nyquist_guard = rate * 0.49
    for i, v0 in enumerate(samples):
        fc = cutoffs[i]
        if fc != last_fc:
            last_fc = fc
            g = math.tan(math.pi * min(max(fc, 10.0), nyquist_guard) / rate)
            a1 = 1.0 / (1.0 + g * (g + k))
            a2 = g * a1
            a3 = g * a2
        v3 = v0 - ic2
        v1 = a1 * ic1 + a2 * v3
        v2 = ic2 + a2 * ic1 + a3 * v3
        ic1 = 2.0 * v1 - ic1
        ic2 = 2.0 * v2 - ic2
        if mode == "low":
            out[i] = v2
        elif mode == "band":
            out[i] = v1
        else:
            out[i] = v0 - k * v1 - v2
    return out


def tone(
    dur,
    wave_kind="pulse",
    pitch=((0.0, 440.0),),
    env=None,
    duty=((0.0, 0.5),),
    vibrato=(0.0, 0.0),
    vibrato_delay=0.0,
    arp=(),
    lowpass=None,
    highpass=None,
    bandpass=None,
    q=0.707,
    seed=1,
    gain=1.0,
    rate=RATE,
):
    """One sfxr-style voice.

    pitch     breakpoints (s, Hz), interpolated exponentially
    env       breakpoints (s, level) or a ready list of per-sample levels; default: 5 ms in, linear out
    duty      breakpoints (s, duty) for the pulse wave
    vibrato   (depth in semitones, rate in Hz), faded in over vibrato_delay seconds
    arp       steps [(s, semitones)]: from that time on the pitch is offset by that many semitones
    lowpass / highpass / bandpass   cutoff breakpoints (s, Hz), or None
    """
    n = int(dur * rate)
    freqs = curve(pitch, n, rate, log=True)
    depth, vrate = vibrato
    steps = sorted(arp)
    if depth or steps:
        k = -1
        for i in range(n):
            t = i / rate
            while k + 1 < len(steps) and t >= steps[k + 1][0]:
                k += 1
            semis = steps[k][1] if k >= 0 else 0.0
            if depth:
                fade = min(1.0, t / vibrato_delay) if vibrato_delay > 0 else 1.0
                semis += depth * fade * math.sin(TWO_PI * vrate * t)
            freqs[i] *= 2.0 ** (semis / 12.0)
    duties = curve(duty, n, rate) if wave_kind == "pulse" else None
    out = oscillator(wave_kind, freqs, duties, seed, rate)
    if lowpass:
        out = svf(out, curve(lowpass, n, rate, log=True), "low", q, rate)
    if highpass:
        out = svf(out, curve(highpass, n, rate, log=True), "high", q, rate)
    if bandpass:
        out = svf(out, curve(bandpass, n, rate, log=True), "band", q, rate)
    if env is None:
        env = ((0.0, 0.0), (0.005, 1.0), (dur, 0.0))
    levels = env if isinstance(env, list) else curve(env, n, rate)
    return [s * e * gain for s, e in zip(out, levels)]


def mix(length, *layers, rate=RATE):
    """Sums layers given as (start seconds, samples) into a buffer of length seconds."""
    n = int(length * rate)
    out = [0.0] * n
    for start, samples in layers:
        a = int(start * rate)
        b = min(n, a + len(samples))
        if b > a:
            out[a:b] = [x + y for x, y in zip(out[a:b], samples)]
    return out


def echo(samples, delay, feedback, repeats, rate=RATE):
    """Adds decaying copies of the sound (no growth of the length: the tail must fit)."""
    out = list(samples)
    d = int(delay * rate)
    g = 1.0
    for r in range(1, repeats + 1):
        g *= feedback
        off = d * r
        if off >= len(out):
            break
        out[off:] = [x + g * y for x, y in zip(out[off:], samples)]
    return out


def finish(samples, peak=0.891, fade_in=0.002, fade_out=0.01, rate=RATE):
    """DC blocker, mean removal, short edge fades and peak normalisation (peak 0.891 is -1 dBFS)."""
    # one-pole DC blocker at about 15 Hz
    r = 1.0 - TWO_PI * 15.0 / rate
    x1 = y1 = 0.0
    out = [0.0] * len(samples)
    for i, x in enumerate(samples):
        y1 = x - x1 + r * y1
        x1 = x
        out[i] = y1
    mean = sum(out) / len(out)
    out = [v - mean for v in out]
    n = len(out)
    fi = max(1, int(fade_in * rate))
    fo = max(1, int(fade_out * rate))
    for i in range(min(fi, n)):
        out[i] *= 0.5 - 0.5 * math.cos(math.pi * i / fi)
    for i in range(min(fo, n)):
        out[n - 1 - i] *= 0.5 - 0.5 * math.cos(math.pi * i / fo)
    out[0] = 0.0
    out[-1] = 0.0
    top = max(abs(v) for v in out) or 1.0
    return [v * peak / top for v in out]


def to_pcm16(channels):
    """Interleaves one or more float channels into 16-bit little-endian PCM bytes."""
    data = array.array("h")
    if len(channels) == 1:
        data.extend(max(-32767, min(32767, int(round(v * 32767.0)))) for v in channels[0])
    else:
        for frame in zip(*channels):
            data.extend(max(-32767, min(32767, int(round(v * 32767.0)))) for v in frame)
    if sys.byteorder != "little":
        data.byteswap()
    return data.tobytes()


def write_wav(path, channels, rate=RATE):
    with wave.open(path, "wb") as w:
        w.setnchannels(len(channels))
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(to_pcm16(channels))


def write_mp3(path, channels, bitrate, rate=RATE):
    """Encodes through a temporary WAV with lame. No ID3 tag is written; the LAME info frame that lame
    puts first carries only encoder settings and lengths, so the bytes depend on the audio alone."""
    mode = "m" if len(channels) == 1 else "j"
    with tempfile.TemporaryDirectory() as tmp:
        src = os.path.join(tmp, "in.wav")
        dst = os.path.join(tmp, "out.mp3")
        write_wav(src, channels, rate)
        subprocess.run(
            ["lame", "--quiet", "--noreplaygain", "-q", "2", "--cbr", "-b", str(bitrate), "-m", mode,
             "--resample", "%g" % (rate / 1000.0), src, dst],
            check=True,
        )
        with open(dst, "rb") as f:
            data = f.read()
    with open(path, "wb") as f:
        f.write(data)


def midi_hz(note):
    return 440.0 * 2.0 ** ((note - 69) / 12.0)


NOTE_INDEX = {"C": 0, "C#": 1, "D": 2, "D#": 3, "E": 4, "F": 5, "F#": 6, "G": 7, "G#": 8, "A": 9,
              "A#": 10, "B": 11}


def note(name):
    """"C5" -> MIDI number (C4 = 60)."""
    return 12 * (int(name[-1]) + 1) + NOTE_INDEX[name[:-1]]


def hz(name):
    return midi_hz(note(name))


# --------------------------------------------------------------------------------------------------------
# Sound effects
# --------------------------------------------------------------------------------------------------------


def se_swing():
    """se017-0006.wav: a quick airy swing, a short whoosh with a faint ring on top."""
    d = 0.26
    air = tone(d, "noise", pitch=((0, 44100),), bandpass=((0, 700), (0.07, 3800), (d, 1300)), q=1.6,
               env=((0, 0), (0.05, 1.0), (0.09, 0.7), (d, 0)), seed=17)
    ring = tone(d, "sine", pitch=((0, 2600), (0.1, 3400), (d, 3300)),
                env=((0, 0), (0.04, 0.0), (0.07, 0.12), (d, 0)))
    return finish(mix(d, (0, air), (0, ring)))


def se_pickup():
    """get_50.wav: picking up an ingredient, the classic bright two-note blip."""
    d = 0.32
    lead = tone(d, "pulse", pitch=((0, hz("B5")),), arp=((0.065, 5),), duty=((0, 0.5), (0.07, 0.25)),
                env=((0, 0), (0.003, 1.0), (0.065, 0.85), (0.07, 1.0), (0.12, 0.7), (d, 0)))
    body = tone(d, "triangle", pitch=((0, hz("B4")),), arp=((0.065, 5),),
                env=((0, 0), (0.003, 0.6), (0.12, 0.4), (d, 0)))
    return finish(mix(d, (0, lead), (0, body)))


def se_explosion():
    """bom10.wav: an explosion, crunchy noise falling into a low rumble with a body thump."""
    d = 0.95
    n = int(d * RATE)
    blast = tone(d, "noise", pitch=((0, 9000), (0.25, 2200), (d, 500)),
                 lowpass=((0, 7000), (0.2, 1800), (d, 250)), q=0.9,
                 env=exp_env(n, 0.004, 0.22, hold=0.05), seed=10)
    rumble = tone(d, "noise", pitch=((0, 1400), (d, 300)), lowpass=((0, 400), (d, 120)),
                  env=exp_env(n, 0.01, 0.35), seed=11, gain=1.6)
    thump = tone(0.35, "sine", pitch=((0, 110), (0.3, 38)), env=exp_env(int(0.35 * RATE), 0.002, 0.09),
                 gain=1.1)
    return finish(mix(d, (0, blast), (0, rumble), (0, thump)), fade_out=0.05)


def se_laser():
    """tm2_laser001.wav: a zappy laser / fireball shot, a pulse diving down with a buzz."""
    d = 0.3
    n = int(d * RATE)
    zap = tone(d, "pulse", pitch=((0, 1900), (0.22, 260)), duty=((0, 0.4), (d, 0.12)), vibrato=(0.6, 38),
               lowpass=((0, 9000), (d, 2500)), env=exp_env(n, 0.002, 0.11, hold=0.03))
    sub = tone(d, "saw", pitch=((0, 960), (0.22, 125)), lowpass=((0, 3000), (d, 800)),
               env=exp_env(n, 0.002, 0.1, hold=0.02), gain=0.5)
    fizz = tone(0.08, "noise", pitch=((0, 30000),), highpass=((0, 3000),),
                env=exp_env(int(0.08 * RATE), 0.001, 0.02), seed=3, gain=0.35)
    return finish(mix(d, (0, zap), (0, sub), (0, fizz)), fade_out=0.02)


def se_crash():
    """crash25.wav: something breaking apart, a clattering metallic crash with bouncing debris."""
    d = 0.75
    n = int(d * RATE)
    smash = tone(d, "noise", pitch=((0, 16000), (d, 5000)), lowpass=((0, 9000), (d, 2000)),
                 env=exp_env(n, 0.002, 0.12), seed=25)
    clang = tone(d, "metal", pitch=((0, 540),), highpass=((0, 2500),), env=exp_env(n, 0.001, 0.16), gain=0.8)
    crunch = tone(0.15, "noise", pitch=((0, 2500), (0.15, 900)), lowpass=((0, 2500),),
                  env=exp_env(int(0.15 * RATE), 0.001, 0.04), seed=26, gain=0.9)
    layers = [(0, smash), (0, clang), (0, crunch)]
    rng = Noise(2525)
    t = 0.09
    for k in range(6):
        f = 1800.0 + 1600.0 * (rng.next() * 0.5 + 0.5)
        length = 0.09
        ping = tone(length, "triangle", pitch=((0, f), (length, f * 0.94)),
                    env=exp_env(int(length * RATE), 0.001, 0.02), gain=0.45 * (0.8 ** k))
        layers.append((t, ping))
        t += 0.05 + 0.05 * (rng.next() * 0.5 + 0.5)
    return finish(mix(d, *layers), fade_out=0.04)


def se_charge():
    """power32.wav: powering up, a rising wobbling sweep that brightens as it climbs."""
    d = 0.7
    sweep = tone(d, "pulse", pitch=((0, 180), (0.62, 1250)), duty=((0, 0.5), (0.62, 0.15)),
                 vibrato=(0.9, 16), vibrato_delay=0.3, lowpass=((0, 1500), (0.62, 9000)),
                 env=((0, 0), (0.02, 0.8), (0.55, 1.0), (0.64, 0.9), (d, 0)))
    octave = tone(d, "triangle", pitch=((0, 360), (0.62, 2500)), arp=[(i * 0.04, 12 * (i % 2)) for i in range(18)],
                  env=((0, 0), (0.2, 0.0), (0.6, 0.35), (d, 0)))
    return finish(mix(d, (0, sweep), (0, octave)))


def se_mecha():
    """mecha20.wav: a mechanical ka-chunk, two clicks and a short motor whirr."""
    d = 0.26
    click1 = tone(0.03, "noise", pitch=((0, 44100),), highpass=((0, 2500),),
                  env=exp_env(int(0.03 * RATE), 0.0005, 0.006), seed=20)
    thunk = tone(0.09, "pulse", pitch=((0, 170), (0.09, 95)), duty=((0, 0.3),), lowpass=((0, 1200),),
                 env=exp_env(int(0.09 * RATE), 0.001, 0.025), gain=0.9)
    whirr = tone(0.09, "saw", pitch=((0, 420), (0.09, 620)), lowpass=((0, 1800),), vibrato=(1.0, 55),
                 env=((0, 0), (0.01, 0.35), (0.08, 0.3), (0.09, 0)))
    click2 = tone(0.05, "noise", pitch=((0, 12000),), bandpass=((0, 3200),), q=2.0,
                  env=exp_env(int(0.05 * RATE), 0.0005, 0.01), seed=21, gain=1.2)
    thunk2 = tone(0.1, "sine", pitch=((0, 140), (0.1, 70)), env=exp_env(int(0.1 * RATE), 0.001, 0.03))
    return finish(mix(d, (0, click1), (0, thunk), (0.05, whirr), (0.15, click2), (0.15, thunk2)))


def chime(d, notes, step, lead_gain=1.0, duty=0.25):
    """A short menu chime: notes played one after another, each ringing on into the next."""
    layers = []
    for i, name in enumerate(notes):
        length = d - i * step
        f = hz(name)
        n = int(length * RATE)
        layers.append((i * step, tone(length, "pulse", pitch=((0, f),), duty=((0, duty),),
                                      lowpass=((0, 7000),), env=exp_env(n, 0.002, 0.09), gain=lead_gain)))
        layers.append((i * step, tone(length, "triangle", pitch=((0, f / 2),),
                                      env=exp_env(n, 0.002, 0.12), gain=0.6)))
    return mix(d, *layers)


def se_ok():
    """ok1a.mp3: confirm in a menu, a bright rising two-note chime."""
    d = 0.38
    body = chime(d, ["E6", "A6"], 0.07)
    sparkle = tone(0.2, "sine", pitch=((0, hz("E7")),), env=exp_env(int(0.2 * RATE), 0.002, 0.05), gain=0.25)
    return finish(mix(d, (0, body), (0.07, sparkle)))


def se_cancel():
    """ok1b.mp3: back / cancel in a menu, a soft falling two-note chime."""
    d = 0.32
    return finish(chime(d, ["A5", "D5"], 0.07, lead_gain=0.8, duty=0.5))


def se_cursor():
    """cursor00_a.wav: moving the menu cursor, a tiny tick-blip."""
    d = 0.055
    blip = tone(d, "pulse", pitch=((0, 1760), (d, 1480)), duty=((0, 0.25),), lowpass=((0, 8000),),
                env=exp_env(int(d * RATE), 0.001, 0.018))
    tick = tone(0.01, "noise", pitch=((0, 44100),), highpass=((0, 4000),),
                env=exp_env(int(0.01 * RATE), 0.0005, 0.002), seed=9, gain=0.4)
    return finish(mix(d, (0, blip), (0, tick)), fade_out=0.006)


def se_shoot():
    """shoot16_b.wav: the heroines' shot, a short snappy "pew"."""
    d = 0.16
    n = int(d * RATE)
    pew = tone(d, "pulse", pitch=((0, 1350), (0.13, 330)), duty=((0, 0.5), (d, 0.2)),
               lowpass=((0, 8000), (d, 2500)), env=exp_env(n, 0.001, 0.05, hold=0.015))
    snap = tone(0.025, "noise", pitch=((0, 44100),), highpass=((0, 2000),),
                env=exp_env(int(0.025 * RATE), 0.0005, 0.006), seed=16, gain=0.5)
    return finish(mix(d, (0, pew), (0, snap)), fade_out=0.015)


EAT_RATE = 22050


def se_eat():
    """quiz1.wav: the hungry character eating, "nom nom nom" and a happy gulp.

    Stored at 22050 Hz: the game plays this sound at a frequency of 22050 Hz, which is then exactly
    its natural speed and pitch."""
    r = EAT_RATE
    d = 0.72
    layers = []
    bites = (0.0, 0.16, 0.32)
    for i, t in enumerate(bites):
        f = 300.0 * (1.0 + 0.06 * i)
        length = 0.13
        # the closed-mouth "m-m" of a chew: a soft nasal tone dipping in pitch
        mouth = tone(length, "pulse", pitch=((0, f * 1.25), (0.03, f), (length, f * 0.8)), duty=((0, 0.35),),
                     lowpass=((0, 1400), (length, 700)), q=1.2,
                     env=((0, 0), (0.012, 1.0), (0.07, 0.6), (length, 0)), rate=r)
        # the crunch of the bite
        crunch = tone(0.06, "noise", pitch=((0, 7000), (0.06, 3000)), bandpass=((0, 3500), (0.06, 2200)),
                      q=1.3, env=exp_env(int(0.06 * r), 0.001, 0.015, rate=r), seed=40 + i, gain=1.3, rate=r)
        layers.append((t, [m * 0.8 for m in mouth]))
        layers.append((t, crunch))
    # the gulp: a little upward bloop
    gulp = tone(0.2, "sine", pitch=((0, 260), (0.12, 720), (0.2, 760)), env=((0, 0), (0.02, 0.9), (0.2, 0)),
                rate=r)
    sparkle = tone(0.16, "pulse", pitch=((0, hz("E6")),), arp=((0.05, 3), (0.1, 8)), duty=((0, 0.25),),
                   lowpass=((0, 6000),), env=((0, 0), (0.005, 0.3), (0.16, 0)), rate=r)
    layers.append((0.48, gulp))
    layers.append((0.55, sparkle))
    return finish(mix(d, *layers, rate=r), rate=r)


def se_hit():
    """hit76_d.wav: a shot landing on an enemy, a punchy cartoon "bonk"."""
    d = 0.17
    n = int(d * RATE)
    body = tone(d, "pulse", pitch=((0, 330), (0.12, 70)), duty=((0, 0.5),), lowpass=((0, 3000), (d, 500)),
                env=exp_env(n, 0.001, 0.05, hold=0.01))
    smack = tone(0.07, "noise", pitch=((0, 20000), (0.07, 4000)), lowpass=((0, 8000), (0.07, 1200)),
                 env=exp_env(int(0.07 * RATE), 0.0005, 0.018), seed=76, gain=0.9)
    knock = tone(0.06, "sine", pitch=((0, 900), (0.06, 500)), env=exp_env(int(0.06 * RATE), 0.0005, 0.012),
                 gain=0.5)
    return finish(mix(d, (0, body), (0, smack), (0, knock)), fade_out=0.015)


def se_ready():
    """power31.wav: the carried ingredients now make the wished-for dish, a twinkling rising arpeggio."""
    d = 0.5
    step = 0.045
    notes = ["C6", "E6", "G6", "C7"]
    layers = []
    for i, name in enumerate(notes):
        length = d - i * step
        n = int(length * RATE)
        layers.append((i * step, tone(length, "pulse", pitch=((0, hz(name)),), duty=((0, 0.125),),
                                      lowpass=((0, 9000),), env=exp_env(n, 0.001, 0.06 + 0.03 * i))))
    layers.append((3 * step, tone(d - 3 * step, "triangle", pitch=((0, hz("C6")),), vibrato=(0.25, 9),
                                  env=exp_env(int((d - 3 * step) * RATE), 0.002, 0.12), gain=0.5)))
    return finish(echo(mix(d, *layers), 0.09, 0.35, 3))


def se_rank_up():
    """up.mp3: the rank goes up, a little fanfare: a quick triplet run into a held, wobbling chord."""
    d = 0.95
    step = 0.07
    lead_notes = ["C6", "E6", "G6"]
    harm_notes = ["G5", "C6", "E6"]
    layers = []
    for i, (a, b) in enumerate(zip(lead_notes, harm_notes)):
        n = int(step * 1.3 * RATE)
        layers.append((i * step, tone(step * 1.3, "pulse", pitch=((0, hz(a)),), duty=((0, 0.25),),
                                      env=exp_env(n, 0.002, 0.08))))
        layers.append((i * step, tone(step * 1.3, "pulse", pitch=((0, hz(b)),), duty=((0, 0.5),),
                                      env=exp_env(n, 0.002, 0.08), gain=0.5)))
    t = 3 * step
    held = d - t
    shape = ((0, 0), (0.005, 1.0), (0.12, 0.75), (held - 0.25, 0.6), (held, 0))
    layers.append((t, tone(held, "pulse", pitch=((0, hz("C7")),), duty=((0, 0.25), (held, 0.4)),
                           vibrato=(0.35, 7), vibrato_delay=0.15, lowpass=((0, 9000),), env=shape)))
    layers.append((t, tone(held, "pulse", pitch=((0, hz("G6")),), duty=((0, 0.5),), vibrato=(0.35, 7),
                           vibrato_delay=0.15, env=shape, gain=0.45)))
    layers.append((t, tone(held, "triangle", pitch=((0, hz("C5")),), env=shape, gain=0.8)))
    return finish(mix(d, *layers), fade_out=0.03)


# --------------------------------------------------------------------------------------------------------
# Stage music: a bouncy chiptune loop in C major
# --------------------------------------------------------------------------------------------------------

BPM = 128
STEP = 60.0 / BPM / 4  # one sixteenth note, in seconds
BAR = 16

# Melodies: "NOTE:sixteenths" or "r:sixteenths" (a rest), one bar per string.
THEME_A = [
    "G4:2 C5:2 E5:2 G5:2 r:2 E5:2 G5:2 A5:2",
    "G5:4 E5:2 C5:2 r:2 A4:2 C5:2 E5:2",
    "F5:2 F5:2 A5:2 F5:2 C6:4 A5:2 F5:2",
    "G5:6 F5:2 E5:2 D5:2 B4:2 D5:2",
    "E5:2 G5:2 C6:2 G5:2 E5:2 G5:2 C6:2 D6:2",
    "E6:4 D6:2 C6:2 A5:4 r:2 C6:2",
    "A5:2 G5:2 F5:2 A5:2 G5:2 F5:2 E5:2 D5:2",
    "C5:4 E5:2 G5:2 C6:6 r:2",
]
# the second time round the theme climbs instead of settling, to lift into the middle section
THEME_A2 = THEME_A[:6] + [
    "A5:2 C6:2 F6:2 C6:2 B5:2 D6:2 G6:4",
    "E6:4 C6:2 G5:2 r:4 A5:2 B5:2",
]
THEME_B = [
    "C6:6 A5:2 F5:4 A5:4",
    "B5:6 G5:2 D5:4 B5:4",
    "G5:4 B5:4 E6:6 D6:2",
    "C6:8 r:4 A5:2 B5:2",
    "C6:4 D6:4 F6:4 E6:2 D6:2",
    "D6:6 B5:2 G5:4 B5:4",
    "C6:4 E6:4 G6:4 E6:4",
    "D6:2 r:2 B5:2 r:2 G5:2 A5:2 B5:2 D6:2",
]
# four bars that wind down and hand over to the groove at the top of the loop
TURNAROUND = [
    "A5:2 r:2 A5:2 C6:2 r:8",
    "B5:2 r:2 B5:2 D6:2 r:8",
    "C6:2 G5:2 E5:2 C5:2 r:8",
    "r:16",
]
SILENT = ["r:16"] * 4

CHORDS = {
    "C": (48, (0, 4, 7)),
    "Am": (45, (0, 3, 7)),
    "F": (41, (0, 4, 7)),
    "G": (43, (0, 4, 7)),
    "G7": (43, (0, 4, 7, 10)),
    "Em": (40, (0, 3, 7)),
    "Dm": (38, (0, 3, 7)),
}
PROG_A = ["C", "Am", "F", "G", "C", "Am", "F G", "C"]
PROG_B = ["F", "G", "Em", "Am", "Dm", "G", "C", "G7"]
PROG_INTRO = ["C", "Am", "F", "G"]
PROG_TURN = ["F", "G", "C", "G"]

# sections: (name, melody bars, chord bars, arpeggio on, drum style)
SECTIONS = [
    ("intro", SILENT, PROG_INTRO, True, "light"),
    ("A", THEME_A, PROG_A, False, "full"),
    ("A2", THEME_A2, PROG_A, True, "full"),
    ("B", THEME_B, PROG_B, True, "half"),
    ("A3", THEME_A, PROG_A, False, "full"),
    ("turn", TURNAROUND, PROG_TURN, True, "end"),
]


def parse_bar(text):
    """-> [(start sixteenth, length in sixteenths, midi)] for one bar of melody."""
    notes = []
    pos = 0
    for token in text.split():
        name, length = token.split(":")
        length = int(length)
        if name != "r":
            notes.append((pos, length, note(name)))
        pos += length
    if pos != BAR:
        raise ValueError("bar of %d sixteenths: %s" % (pos, text))
    return notes


def bar_chords(text):
    """"F G" -> [(0, F, 8), (8, G, 8)]: one or two chords in a bar."""
    names = text.split()
    length = BAR // len(names)
    return [(i * length, CHORDS[nm], length) for i, nm in enumerate(names)]


class Instrument:
    """Renders (midi, length in samples) pairs once and caches them: the loop reuses a few hundred
    distinct notes many times."""

    def __init__(self, render):
        self.render = render
        self.cache = {}

    def get(self, midi, length):
        key = (midi, length)
        if key not in self.cache:
            self.cache[key] = self.render(midi, length)
        return self.cache[key]


def adsr(n, attack, decay, sustain, gate):
    """Per-sample ADSR levels; gate is the key-off sample, release runs after it to zero by n."""
    out = [0.0] * n
    a = max(1, int(attack * RATE))
    dd = max(1, int(decay * RATE))
    rel = max(1, n - gate)
    for i in range(n):
        if i < a:
            v = i / a
        elif i < a + dd:
            v = 1.0 - (1.0 - sustain) * (i - a) / dd
        else:
            v = sustain
        if i >= gate:
            v *= 1.0 - (i - gate) / rel
        out[i] = v
    return out


def render_lead(midi, n):
    gate = int(n * 0.8)
    env = adsr(n, 0.004, 0.08, 0.65, gate)
    f = midi_hz(midi)
    # a gentle vibrato that only blooms on the longer notes
    delay = int(0.12 * RATE)
    swell = int(0.15 * RATE)
    freqs = [f] * n
    for i in range(delay, n):
        depth = 0.2 * min(1.0, (i - delay) / swell)
        freqs[i] = f * 2.0 ** (depth * math.sin(TWO_PI * 5.5 * (i - delay) / RATE) / 12.0)
    osc = oscillator("pulse", freqs, [0.25] * n)
    return [s * e for s, e in zip(osc, env)]


def render_arp(midi, n):
    env = adsr(n, 0.002, 0.04, 0.3, int(n * 0.7))
    osc = oscillator("pulse", [midi_hz(midi)] * n, [0.125] * n)
    return [s * e for s, e in zip(osc, env)]


def render_bass(midi, n):
    gate = int(n * 0.75)
    env = adsr(n, 0.003, 0.05, 0.8, gate)
    f = midi_hz(midi)
    tri = oscillator("triangle", [f] * n)
    edge = oscillator("pulse", [f] * n, [0.5] * n)
    edge = svf(edge, [f * 4.0] * n, "low")
    return [(t + 0.25 * p) * e for t, p, e in zip(tri, edge, env)]


def render_kick(_midi, n):
    freqs = curve(((0, 160), (0.09, 48), (0.2, 40)), n, log=True)
    body = oscillator("sine", freqs)
    env = exp_env(n, 0.001, 0.07)
    click = tone(0.006, "noise", pitch=((0, 44100),), env=((0, 1.0), (0.006, 0)), seed=71, gain=0.3)
    out = [b * e for b, e in zip(body, env)]
    for i, c in enumerate(click[:n]):
        out[i] += c
    return out


def render_snare(_midi, n):
    d = n / RATE
    rattle = tone(d, "noise", pitch=((0, 44100),), lowpass=((0, 8000),), highpass=((0, 900),),
                  env=exp_env(n, 0.001, 0.06), seed=72)
    body = tone(d, "triangle", pitch=((0, 240), (0.05, 170)), env=exp_env(n, 0.001, 0.03))
    return [0.8 * a + 0.6 * b for a, b in zip(rattle, body)]


def render_hat(open_hat, n):
    d = n / RATE
    decay = 0.08 if open_hat else 0.018
    return tone(d, "noise", pitch=((0, 44100),), highpass=((0, 7000),), env=exp_env(n, 0.0005, decay),
                seed=73 + open_hat)


def compose():
    """-> list of events (start sample, instrument name, midi, length in samples, velocity)."""
    step = STEP * RATE
    events = []
    bar_index = 0

    def at(bar, pos):
        return int(round((bar * BAR + pos) * step))

    def length(steps):
        return int(round(steps * step))

    for name, melody, chords, with_arp, drums in SECTIONS:
        for b in range(len(melody)):
            bar = bar_index + b
            last_bar_of_section = b == len(melody) - 1
            # melody, plus a quiet echo three sixteenths later
            for pos, ln, midi in parse_bar(melody[b]):
                events.append((at(bar, pos), "lead", midi, length(ln), 1.0))
                events.append((at(bar, pos + 3), "echo", midi, length(ln), 1.0))
            for pos, (root, intervals), ln in bar_chords(chords[b]):
                # bass: bouncing root / octave eighths, root / fifth in the middle section
                for k in range(ln // 2):
                    p = pos + 2 * k
                    if name == "turn" and b == len(melody) - 1 and p >= 12:
                        continue  # the last beat of the loop stays quiet
                    if drums == "half":
                        midi = root - 12 + (0 if k % 2 == 0 else 7)
                    else:
                        midi = root - 12 + (0 if k % 2 == 0 else 12)
                    events.append((at(bar, p), "bass", midi, length(2), 1.0))
                if with_arp:
                    tones = [root + 24 + iv for iv in intervals[:3]] + [root + 36]
                    order = [0, 1, 2, 3, 2, 1]
                    for k in range(ln):
                        p = pos + k
                        if name == "turn" and b == len(melody) - 1 and p >= 12:
                            continue
                        events.append((at(bar, p), "arp", tones[order[k % len(order)]], length(1), 1.0))
            # drums
            for p in range(BAR):
                if drums == "end" and last_bar_of_section:
                    # a small fill, then silence on the last beat
                    if p in (0, 6, 8):
                        events.append((at(bar, p), "kick", 0, length(4), 1.0))
                    if p in (4, 9, 10, 11):
                        events.append((at(bar, p), "snare", 0, length(3), 0.8 if p != 4 else 1.0))
                    if p in (0, 2, 4, 6, 8):
                        events.append((at(bar, p), "hat", 0, length(2), 0.9))
                    continue
                kick = p in (0, 8, 10) if drums != "half" else p in (0, 10)
                snare = p in (4, 12) if drums != "half" else p == 8
                if drums == "light" and b < 2:
                    snare = False
                if last_bar_of_section and drums in ("full", "half") and p >= 12:
                    snare = True  # a short roll into the next section
                    kick = p == 12
                if kick:
                    events.append((at(bar, p), "kick", 0, length(4), 1.0))
                if snare:
                    vel = 0.7 + 0.1 * (p - 12) if last_bar_of_section and p >= 12 else 1.0
                    events.append((at(bar, p), "snare", 0, length(3), vel))
                if p % 2 == 0:
                    open_hat = p == 14 and drums != "light"
                    events.append((at(bar, p), "ohat" if open_hat else "hat", 0, length(2), 1.0))
                elif drums == "full":
                    events.append((at(bar, p), "hat", 0, length(1), 0.45))
        bar_index += len(melody)
    return events, at(bar_index, 0)


def render_music():
    events, total = compose()
    instruments = {
        "lead": Instrument(render_lead),
        "echo": Instrument(render_lead),
        "arp": Instrument(render_arp),
        "bass": Instrument(render_bass),
        "kick": Instrument(render_kick),
        "snare": Instrument(render_snare),
        "hat": Instrument(lambda m, n: render_hat(0, n)),
        "ohat": Instrument(lambda m, n: render_hat(1, n)),
    }
    # (left gain, right gain) per instrument
    pans = {
        "lead": (0.34, 0.30),
        "echo": (0.04, 0.11),
        "arp": (0.15, 0.10),
        "bass": (0.27, 0.27),
        "kick": (0.5, 0.5),
        "snare": (0.38, 0.42),
        "hat": (0.12, 0.16),
        "ohat": (0.10, 0.14),
    }
    left = [0.0] * total
    right = [0.0] * total
    for start, inst, midi, ln, vel in events:
        buf = instruments[inst].get(midi, ln)
        end = min(total, start + len(buf))
        if end <= start:
            continue
        gl, gr = pans[inst]
        gl *= vel
        gr *= vel
        seg = buf[: end - start]
        left[start:end] = [x + gl * y for x, y in zip(left[start:end], seg)]
        right[start:end] = [x + gr * y for x, y in zip(right[start:end], seg)]
    # the kick's decaying sine leaves a little DC behind: block it
    r = 1.0 - TWO_PI * 10.0 / RATE
    for ch in (left, right):
        x1 = y1 = 0.0
        for i, x in enumerate(ch):
            y1 = x - x1 + r * y1
            x1 = x
            ch[i] = y1
    # the loop seam: the start and the end are faded to silence so the decoder's padding stays inaudible
    fade_in = int(0.003 * RATE)
    fade_out = int(0.06 * RATE)
    for ch in (left, right):
        for i in range(fade_in):
            ch[i] *= i / fade_in
        for i in range(fade_out):
            ch[total - 1 - i] *= i / fade_out
        ch[0] = 0.0
        ch[-1] = 0.0
    top = max(max(abs(v) for v in left), max(abs(v) for v in right)) or 1.0
    # MP3 decoding overshoots peaks a little: leave about 1.5 dB of headroom
    g = 0.84 / top
    return [v * g for v in left], [v * g for v in right]


# --------------------------------------------------------------------------------------------------------

EFFECTS = [
    ("se017-0006.wav", se_swing, RATE),
    ("get_50.wav", se_pickup, RATE),
    ("bom10.wav", se_explosion, RATE),
    ("tm2_laser001.wav", se_laser, RATE),
    ("crash25.wav", se_crash, RATE),
    ("power32.wav", se_charge, RATE),
    ("mecha20.wav", se_mecha, RATE),
    ("ok1a.mp3", se_ok, RATE),
    ("ok1b.mp3", se_cancel, RATE),
    ("cursor00_a.wav", se_cursor, RATE),
    ("shoot16_b.wav", se_shoot, RATE),
    ("quiz1.wav", se_eat, EAT_RATE),
    ("hit76_d.wav", se_hit, RATE),
    ("power31.wav", se_ready, RATE),
    ("up.mp3", se_rank_up, RATE),
]
MUSIC = "free0636.mp3"


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: sounds.py OUTDIR\n")
        return 2
    folder = os.path.join(argv[1], "dat", "sound")
    os.makedirs(folder, exist_ok=True)
    for name, make, rate in EFFECTS:
        samples = make()
        path = os.path.join(folder, name)
        if name.endswith(".mp3"):
            write_mp3(path, [samples], 128, rate)
        else:
            write_wav(path, [samples], rate)
    left, right = render_music()
    write_mp3(os.path.join(folder, MUSIC), [left, right], 128)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
