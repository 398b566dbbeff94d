#!/usr/bin/env python3
"""Audio checks for the video tests, on the standard library alone.

  av_compare.py slice WAV FROM_MS TO_MS OUT.raw
      writes frames [round(FROM*rate/1000), round(TO*rate/1000)) of a 16-bit PCM WAV as raw
      s16le, and prints "rate channels frames".
  av_compare.py lag REF.raw DECODED.raw RATE CHANNELS
      cross-correlates the first channel of a window of REF (from 1 s in, or its middle) with
      DECODED over lags of +-50 ms; prints "lag_samples correlation".
"""
import array
import sys
import wave


def first_channel(path, channels):
    samples = array.array('h')
    with open(path, 'rb') as f:
        samples.frombytes(f.read())
    return samples[0::channels]


def cmd_slice(wav_path, from_ms, to_ms, out_path):
    with wave.open(wav_path, 'rb') as w:
        if w.getsampwidth() != 2:
            sys.exit('av_compare: only 16-bit PCM WAV files')
        rate, channels, frames = w.getframerate(), w.getnchannels(), w.getnframes()
        first = min(frames, round(float(from_ms) * rate / 1000))
        end = min(frames, round(float(to_ms) * rate / 1000))
        w.setpos(first)
        data = w.readframes(end - first)
    with open(out_path, 'wb') as f:
        f.write(data)
    print(rate, channels, end - first)


def cmd_lag(ref_path, dec_path, rate, channels):
    rate, channels = int(rate), int(channels)
    ref = first_channel(ref_path, channels)
    dec = first_channel(dec_path, channels)
    window = 4096
    max_lag = rate // 20
    start = rate if len(ref) >= rate + window + max_lag else max(max_lag, (len(ref) - window) // 2)
    if start - max_lag < 0 or start + window + max_lag > min(len(ref), len(dec)):
        sys.exit('av_compare: sounds too short for a lag search')
    x = ref[start:start + window]
    energy = sum(v * v for v in x) or 1
    best_lag, best = 0, float('-inf')
    for lag in range(-max_lag, max_lag + 1):
        y = dec[start + lag:start + lag + window]
        c = sum(map(int.__mul__, x, y))
        if c > best:
            best_lag, best = lag, c
    y = dec[start + best_lag:start + best_lag + window]
    norm = (energy * (sum(v * v for v in y) or 1)) ** 0.5
    print(best_lag, '%.4f' % (best / norm))


if __name__ == '__main__':
    commands = {'slice': cmd_slice, 'lag': cmd_lag}
    if len(sys.argv) < 2 or sys.argv[1] not in commands:
        sys.exit(__doc__)
    commands[sys.argv[1]](*sys.argv[2:])
