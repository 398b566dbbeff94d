// The soundtrack: a 140 BPM piece in A minor, synthesised from scratch (drums, bass, pads,
// arpeggios, a lead, risers and impacts). Each section of the arrangement starts exactly on one
// of the show's scene boundaries, and every boundary gets a crash and a low impact.
#include <algorithm>
#include <cmath>
#include <vector>

#include "gen_data.h"

namespace gen {
namespace {

constexpr int kRate = 44100;
constexpr double kBeat = 60.0 / 140.0 * kRate;  // 18900 samples
constexpr double kSeconds = 213.0;             // the show ends at 210.857 s; the rest rings out
// Scene boundaries in beats.
const double kBoundaries[12] = {39.3, 71, 155, 187, 220, 223.5, 287, 350.8, 416, 479, 482, 492};

long sampleAt(double beat) { return std::lround(beat * kBeat); }
double frequency(double midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12); }

// Band-limited saw (polyBLEP) for a phase in [0, 1) advancing by dt per sample.
double saw(double phase, double dt) {
    double v = 2 * phase - 1;
    if (phase < dt) {
        double t = phase / dt;
        v -= t + t - t * t - 1;
    } else if (phase > 1 - dt) {
        double t = (phase - 1) / dt;
        v -= t * t + t + t + 1;
    }
    return v;
}

// State-variable filter (trapezoidal), low-, band- and high-pass outputs.
struct Filter {
    double ic1 = 0, ic2 = 0;
    double low = 0, band = 0, high = 0;
    double a1 = 1, a2 = 0, a3 = 0, k = 1;
    double cutoff = -1, q = -1;
    void set(double newCutoff, double newQ) {
        if (newCutoff == cutoff && newQ == q) return;
        cutoff = newCutoff;
        q = newQ;
        double g = std::tan(kPi * std::min(cutoff, kRate * 0.45) / kRate);
        k = 1 / q;
        a1 = 1 / (1 + g * (g + k));
        a2 = g * a1;
        a3 = g * a2;
    }
    void run(double x, double newCutoff, double newQ) {
        set(newCutoff, newQ);
        double v3 = x - ic2, v1 = a1 * ic1 + a2 * v3, v2 = ic2 + a2 * ic1 + a3 * v3;
        ic1 = 2 * v1 - ic1;
        ic2 = 2 * v2 - ic2;
        low = v2;
        band = v1;
        high = x - k * v1 - v2;
    }
};

struct Stereo {
    std::vector<float> left, right;
    explicit Stereo(std::size_t n) : left(n, 0.0f), right(n, 0.0f) {}
};

// One sound being made: its samples, then where and how loud it goes into the mix. Every
// instrument writes all `length` samples, so the buffers are only ever grown.
struct Voice {
    std::vector<float> left, right;
    long length = 0;
    void resize(long n) {
        if (static_cast<long>(left.size()) < n) {
            left.resize(static_cast<std::size_t>(n));
            right.resize(static_cast<std::size_t>(n));
        }
        length = n;
    }
    void set(long i, double l, double r) {
        left[i] = static_cast<float>(l);
        right[i] = static_cast<float>(r);
    }
};

class Synth {
public:
    Synth()
        : frames_(static_cast<long>(kSeconds * kRate)), dry_(frames_), reverb_(frames_), duck_(frames_, 1.0f),
          noise_(0xC0FFEEu) {}

    double noise() { return noise_.uniform() * 2 - 1; }

    void kick(double beat, double gain) {
        long start = sampleAt(beat), n = static_cast<long>(0.4 * kRate);
        voice_.resize(n);
        double phase = 0;
        for (long k = 0; k < n; ++k) {
            double t = double(k) / kRate;
            phase += (44 + 120 * std::exp(-t / 0.03)) / kRate;
            double v = (std::sin(2 * kPi * phase) * std::exp(-t / 0.16) + noise() * 0.3 * std::exp(-t / 0.003)) * gain;
            voice_.set(k, v, v);
            long i = start + k;
            if (i >= 0 && i < frames_)
                duck_[i] = std::min(duck_[i], static_cast<float>(1 - 0.6 * std::exp(-t / 0.1)));
        }
        place(start, 1.0, 0.0, 0.0);
    }

    void snare(double beat, double gain) {
        long start = sampleAt(beat), n = static_cast<long>(0.3 * kRate);
        voice_.resize(n);
        Filter f;
        for (long k = 0; k < n; ++k) {
            double t = double(k) / kRate;
            f.run(noise(), 3200, 0.8);
            double v = (std::sin(2 * kPi * 190 * t) * std::exp(-t / 0.04) * 0.6 + f.band * 1.6 * std::exp(-t / 0.1)) * gain;
            voice_.set(k, v * 0.95, v);
        }
        place(start, 1.0, 0.3, 0.0);
    }

    void hat(double beat, double gain, bool open) {
        long start = sampleAt(beat), n = static_cast<long>((open ? 0.6 : 0.12) * kRate);
        voice_.resize(n);
        Filter f;
        double decay = open ? 0.22 : 0.03;
        for (long k = 0; k < n; ++k) {
            f.run(noise(), 7500, 0.7);
            double v = f.high * std::exp(-double(k) / kRate / decay) * gain;
            voice_.set(k, v * 0.8, v);
        }
        place(start, 1.0, 0.0, 0.0);
    }

    void crash(double beat, double gain) {
        long start = sampleAt(beat), n = static_cast<long>(3.0 * kRate);
        voice_.resize(n);
        Filter fl, fr;
        for (long k = 0; k < n; ++k) {
            double t = double(k) / kRate;
            fl.run(noise(), 5000, 0.6);
            fr.run(noise(), 5200, 0.6);
            double env = std::exp(-t / 0.9) * std::min(1.0, t * 2000) * gain;
            voice_.set(k, fl.high * env, fr.high * env);
        }
        place(start, 1.0, 0.4, 0.0);
    }

    // A low boom with a burst of noise and a crash: the accent of a scene boundary.
    void impact(double beat, double gain) {
        long start = sampleAt(beat), n = static_cast<long>(2.0 * kRate);
        voice_.resize(n);
        double phase = 0;
        Filter f;
        for (long k = 0; k < n; ++k) {
            double t = double(k) / kRate;
            phase += (36 + 60 * std::exp(-t / 0.12)) / kRate;
            f.run(noise(), 900, 0.7);
            double v = std::sin(2 * kPi * phase) * std::exp(-t / 0.55) + f.low * 0.8 * std::exp(-t / 0.15);
            v = std::tanh(v * 1.5) * gain;
            voice_.set(k, v, v);
        }
        place(start, 1.0, 0.25, 0.0);
        crash(beat, gain * 0.9);
    }

    // Noise swept upwards, ending just before `to`.
    void riser(double from, double to, double gain) {
        long start = sampleAt(from), n = sampleAt(to) - static_cast<long>(0.02 * kRate) - start;
        voice_.resize(n);
        Filter f;
        for (long k = 0; k < n; ++k) {
            double s = double(k) / n;
            if (k % 32 == 0) f.set(300 * std::pow(30.0, s), 2.5);
            f.run(noise(), f.cutoff, 2.5);
            double v = f.band * s * s * gain;
            voice_.set(k, v * (1 - 0.3 * s), v * (0.7 + 0.3 * s));
        }
        place(start, 1.0, 0.3, 0.0);
    }

    void pad(double beat, double beats, const std::vector<int>& notes, double gain, double cutoff) {
        long start = sampleAt(beat), length = sampleAt(beat + beats) - start;
        long release = static_cast<long>(0.9 * kRate), attack = static_cast<long>(0.35 * kRate);
        const double detune[3] = {-0.08, 0.0, 0.08};
        const double panL[3] = {1.0, 0.7, 0.35}, panR[3] = {0.35, 0.7, 1.0};
        const int voices = static_cast<int>(notes.size()) * 3;
        double phases[12] = {}, steps[12] = {};
        for (int k = 0; k < voices && k < 12; ++k) {
            phases[k] = noise_.uniform();
            steps[k] = frequency(notes[k / 3] + detune[k % 3]) / kRate;
        }
        voice_.resize(length + release);
        Filter fl, fr;
        double wobble = 1;
        const double scale = gain / (notes.size() * 2.0);
        for (long n = 0; n < length + release; ++n) {
            double env = std::min(1.0, double(n) / attack);
            if (n > length) env *= 1 - double(n - length) / release;
            double l = 0, r = 0;
            for (int k = 0; k < voices && k < 12; ++k) {
                double s = saw(phases[k], steps[k]);
                phases[k] += steps[k];
                if (phases[k] >= 1) phases[k] -= 1;
                l += s * panL[k % 3];
                r += s * panR[k % 3];
            }
            if (n % 64 == 0) wobble = 1 + 0.25 * std::sin(2 * kPi * 0.2 * n / kRate);
            fl.run(l, cutoff * wobble, 0.8);
            fr.run(r, cutoff * wobble * 1.03, 0.8);
            double g = scale * env * duckAt(start + n);
            voice_.set(n, fl.low * g, fr.low * g);
        }
        place(start, 1.0, 0.5, 0.0);
    }

    void bass(double beat, double beats, int midi, double gain) {
        long start = sampleAt(beat), length = sampleAt(beat + beats) - start;
        long release = static_cast<long>(0.03 * kRate);
        voice_.resize(length + release);
        Filter f;
        double phase = 0, sub = 0, dt = frequency(midi) / kRate;
        for (long n = 0; n < length + release; ++n) {
            double t = double(n) / kRate;
            double env = std::min(1.0, t / 0.004) * (0.75 + 0.25 * std::exp(-t / 0.1));
            if (n > length) env *= 1 - double(n - length) / release;
            double s = saw(phase, dt);
            phase += dt;
            if (phase >= 1) phase -= 1;
            sub += dt / 2;
            if (sub >= 1) sub -= 1;
            if (n % 16 == 0) f.set(180 + 1400 * std::exp(-t / 0.07), 1.2);
            f.run(s, f.cutoff, 1.2);
            double v = (f.low * 0.7 + std::sin(2 * kPi * sub) * 0.6) * env * gain * (0.5 + 0.5 * duckAt(start + n));
            voice_.set(n, v, v);
        }
        place(start, 1.0, 0.0, 0.0);
    }

    void pluck(double beat, int midi, double gain, double pan) {
        long start = sampleAt(beat), n = static_cast<long>(0.5 * kRate);
        voice_.resize(n);
        Filter f;
        double phase = 0, dt = frequency(midi) / kRate;
        for (long k = 0; k < n; ++k) {
            double t = double(k) / kRate;
            double s = phase < 0.3 ? 1.0 : -1.0;
            phase += dt;
            if (phase >= 1) phase -= 1;
            if (k % 16 == 0) f.set(600 + 3500 * std::exp(-t / 0.05), 1.0);
            f.run(s, f.cutoff, 1.0);
            double v = f.low * std::exp(-t / 0.15) * std::min(1.0, t / 0.002) * gain;
            voice_.set(k, v * (1 - pan), v * (1 + pan));
        }
        place(start, 1.0, 0.2, 0.5);
    }

    void lead(double beat, double beats, int midi, double gain) {
        long start = sampleAt(beat), length = sampleAt(beat + beats) - start;
        long release = static_cast<long>(0.12 * kRate);
        voice_.resize(length + release);
        Filter f;
        double p1 = 0, p2 = 0.5, f1 = 0, f2 = 0;
        for (long n = 0; n < length + release; ++n) {
            double t = double(n) / kRate;
            if (n % 16 == 0) {
                double vibrato = 0.22 * std::sin(2 * kPi * 5.5 * t) * smoothstep(0.15, 0.4, t);
                f1 = frequency(midi + vibrato - 0.05) / kRate;
                f2 = frequency(midi + vibrato + 0.05) / kRate;
                f.set(2400 + 1500 * std::exp(-t / 0.2), 1.0);
            }
            double s = saw(p1, f1) + saw(p2, f2);
            p1 += f1;
            p2 += f2;
            if (p1 >= 1) p1 -= 1;
            if (p2 >= 1) p2 -= 1;
            f.run(s, f.cutoff, 1.0);
            double env = std::min(1.0, t / 0.01);
            if (n > length) env *= 1 - double(n - length) / release;
            double v = f.low * env * gain * 0.5;
            voice_.set(n, v, v);
        }
        place(start, 1.0, 0.35, 0.25);
    }

    // A struck bell (two-operator FM).
    void bell(double beat, int midi, double gain) {
        long start = sampleAt(beat), n = static_cast<long>(4.0 * kRate);
        voice_.resize(n);
        double f = frequency(midi);
        for (long k = 0; k < n; ++k) {
            double t = double(k) / kRate;
            double index = 2.5 * std::exp(-t / 0.6);
            double v = std::sin(2 * kPi * f * t + index * std::sin(2 * kPi * f * 3.5 * t)) * std::exp(-t / 1.4) * gain;
            voice_.set(k, v * 0.9, v);
        }
        place(start, 1.0, 0.5, 0.0);
    }

    // Adds the room to the dry signal, fades the tail out, limits and normalises to 16 bits,
    // interleaved left and right.
    std::vector<int16_t> finish() {
        applyRoom();
        double peak = 1e-9;
        for (long i = 0; i < frames_; ++i) {
            double fade = std::min(1.0, (kSeconds - double(i) / kRate) / 1.5);
            dry_.left[i] = static_cast<float>(std::tanh(dry_.left[i] * fade * 0.75));
            dry_.right[i] = static_cast<float>(std::tanh(dry_.right[i] * fade * 0.75));
            peak = std::max({peak, std::fabs(double(dry_.left[i])), std::fabs(double(dry_.right[i]))});
        }
        std::vector<int16_t> out(static_cast<std::size_t>(frames_) * 2);
        const double scale = 0.89 / peak * 32767;
        for (long i = 0; i < frames_; ++i) {
            out[2 * i] = static_cast<int16_t>(std::lround(dry_.left[i] * scale));
            out[2 * i + 1] = static_cast<int16_t>(std::lround(dry_.right[i] * scale));
        }
        return out;
    }

private:
    double duckAt(long i) const { return i >= 0 && i < frames_ ? duck_[i] : 1.0; }

    // Mixes the voice in at `start`: dry, into the room, and as a ping-pong echo of three
    // sixteenths (four fading taps alternating between the sides).
    void place(long start, double dryGain, double roomGain, double echoGain) {
        const long n = voice_.length;
        auto mixIn = [&](long at, const std::vector<float>& l, const std::vector<float>& r, float gl, float gr,
                         Stereo& into) {
            long first = std::max(0L, -at), last = std::min(n, frames_ - at);
            float* dl = into.left.data() + at;
            float* dr = into.right.data() + at;
            for (long k = first; k < last; ++k) {
                dl[k] += l[k] * gl;
                dr[k] += r[k] * gr;
            }
        };
        mixIn(start, voice_.left, voice_.right, static_cast<float>(dryGain), static_cast<float>(dryGain), dry_);
        if (roomGain > 0)
            mixIn(start, voice_.left, voice_.right, static_cast<float>(roomGain), static_cast<float>(roomGain), reverb_);
        if (echoGain > 0) {
            const long delay = sampleAt(0.75);
            double gain = echoGain * 0.55;
            for (int tap = 1; tap <= 4; ++tap, gain *= 0.4) {
                // Odd taps land on the right, even ones on the left; each takes both sides of the voice.
                float g = static_cast<float>(gain * 0.5);
                if (tap % 2) {
                    mixIn(start + tap * delay, voice_.left, voice_.left, 0, g, dry_);
                    mixIn(start + tap * delay, voice_.right, voice_.right, 0, g, dry_);
                } else {
                    mixIn(start + tap * delay, voice_.left, voice_.left, g, 0, dry_);
                    mixIn(start + tap * delay, voice_.right, voice_.right, g, 0, dry_);
                }
            }
        }
    }

    // Parallel combs into series all-passes per channel, added to the dry signal.
    void applyRoom() {
        const int combs[4] = {1557, 1617, 1491, 1422}, passes[2] = {556, 441};
        std::vector<float> wet(static_cast<std::size_t>(frames_));
        for (int c = 0; c < 2; ++c) {
            const float* in = (c ? reverb_.right : reverb_.left).data();
            float* out = (c ? dry_.right : dry_.left).data();
            std::fill(wet.begin(), wet.end(), 0.0f);
            for (int k = 0; k < 4; ++k) {
                const int length = combs[k] + c * 23;
                std::vector<float> buffer(length, 0.0f);
                float store = 0;
                for (long i = 0, at = 0; i < frames_; ++i, at = at + 1 == length ? 0 : at + 1) {
                    float y = buffer[at];
                    store = y * 0.75f + store * 0.25f;
                    buffer[at] = in[i] + store * 0.83f;
                    wet[i] += y * 0.25f;
                }
            }
            for (int k = 0; k < 2; ++k) {
                const int length = passes[k] + c * 23;
                std::vector<float> buffer(length, 0.0f);
                for (long i = 0, at = 0; i < frames_; ++i, at = at + 1 == length ? 0 : at + 1) {
                    float b = buffer[at];
                    float y = -wet[i] + b;
                    buffer[at] = wet[i] + b * 0.5f;
                    wet[i] = y;
                }
            }
            for (long i = 0; i < frames_; ++i) out[i] += wet[i] * 0.45f;
        }
    }

    long frames_;
    Stereo dry_, reverb_;
    std::vector<float> duck_;
    Voice voice_;
    Rng noise_;
};

// ---- the arrangement -------------------------------------------------------------------------

struct Chord {
    int root;                // bass note
    std::vector<int> notes;  // pad voicing
};

const Chord kAm{45, {57, 60, 64}}, kF{41, {53, 57, 60}}, kC{48, {55, 60, 64}}, kG{43, {55, 59, 62}};
const Chord kEm{40, {52, 55, 59}}, kDm{38, {50, 53, 57}}, kE{40, {52, 56, 59}};

enum Drums { kNoDrums, kPulse, kFull, kHalfTime, kBuild };
enum Bass { kNoBass, kLong, kEighths, kOffbeat };

struct Section {
    double start, end;
    std::vector<Chord> chords;  // one per bar, repeated
    double barBeats;            // beats per chord
    Drums drums;
    Bass bass;
    int arp;     // 0 none, 1 eighths, 2 sixteenths
    double pad;  // level
    int lead;    // 0 none, 1 long theme, 2 running theme
    double cutoffFrom, cutoffTo;
};

// Chord tone of a chord: degree 0 root, 1 third, 2 fifth, 3 octave; octave shifts by 12.
int chordTone(const Chord& c, int degree, int octave) {
    int base = c.notes[0];
    int tone = degree >= 3 ? base + 12 : c.notes[degree];
    return tone + 12 * octave;
}

void playSection(Synth& s, const Section& sec, bool kicksOnly) {
    const double length = sec.end - sec.start;
    const int bars = static_cast<int>(std::ceil(length / sec.barBeats - 1e-9));
    for (int bar = 0; bar < bars; ++bar) {
        const double at = sec.start + bar * sec.barBeats;
        const double barEnd = std::min(at + sec.barBeats, sec.end);
        const Chord& chord = sec.chords[bar % sec.chords.size()];
        const double progress = (at - sec.start) / length;
        const bool lastBar = barEnd >= sec.end - 1e-9;
        // Drums, beat by beat.
        for (double b = at; b < barEnd - 1e-9; b += 1) {
            int beatInBar = static_cast<int>(std::lround(b - at)) % 4;
            bool fill = lastBar && b >= sec.end - 1 - 1e-9 && length > 8;
            switch (sec.drums) {
                case kNoDrums: break;
                case kPulse:
                    if (kicksOnly) s.kick(b, 0.8);
                    else if (b + 0.5 < sec.end) s.hat(b + 0.5, 0.35, false);
                    break;
                case kFull:
                    if (kicksOnly) {
                        s.kick(b, 0.9);
                        break;
                    }
                    if (beatInBar % 2 == 1) s.snare(b, 0.55);
                    for (int k = 0; k < 4; ++k)
                        if (b + k * 0.25 < sec.end) s.hat(b + k * 0.25, k == 2 ? 0.38 : 0.18, k == 2 && beatInBar == 3);
                    break;
                case kHalfTime:
                    if (kicksOnly) {
                        if (beatInBar == 0) s.kick(b, 0.85);
                        if (beatInBar == 2 && b + 0.5 < sec.end) s.kick(b + 0.5, 0.6);
                        break;
                    }
                    if (beatInBar == 2) s.snare(b, 0.5);
                    if (b + 0.5 < sec.end) s.hat(b + 0.5, 0.28, false);
                    s.hat(b, 0.15, false);
                    break;
                case kBuild:
                    if (kicksOnly) {
                        s.kick(b, 0.8);
                        break;
                    }
                    {
                        int hits = progress < 0.5 ? 2 : 4;
                        for (int k = 0; k < hits; ++k)
                            if (b + double(k) / hits < sec.end) s.snare(b + double(k) / hits, 0.2 + 0.4 * progress);
                    }
                    break;
            }
            if (fill && !kicksOnly && sec.drums != kNoDrums && sec.drums != kBuild)
                for (int k = 1; k < 4; ++k)
                    if (b + k * 0.25 < sec.end - 0.05) s.snare(b + k * 0.25, 0.3 + 0.1 * k);
        }
        if (kicksOnly) continue;
        double cutoff = sec.cutoffFrom * std::pow(sec.cutoffTo / sec.cutoffFrom, progress);
        if (sec.pad > 0) s.pad(at, barEnd - at, chord.notes, sec.pad * 0.5, cutoff);
        // Bass.
        switch (sec.bass) {
            case kNoBass: break;
            case kLong: s.bass(at, (barEnd - at) * 0.95, chord.root, 0.42); break;
            case kEighths:
                for (double b = at; b < barEnd - 1e-9; b += 0.5) {
                    bool jump = std::fmod(b - at, 4.0) == 3.5;
                    s.bass(b, 0.42, chord.root + (jump ? 12 : 0), 0.38);
                }
                break;
            case kOffbeat:
                for (double b = at + 0.5; b < barEnd - 1e-9; b += 1) s.bass(b, 0.45, chord.root + 12, 0.42);
                break;
        }
        // Arpeggio.
        if (sec.arp > 0) {
            const int pattern[8] = {0, 1, 2, 3, 2, 1, 3, 2};
            double step = sec.arp == 2 ? 0.25 : 0.5;
            int k = 0;
            for (double b = at; b < barEnd - 1e-9; b += step, ++k)
                s.pluck(b, chordTone(chord, pattern[k % 8], sec.arp == 2 ? 1 : 0), 0.16, (k % 2) ? 0.4 : -0.4);
        }
        // Lead.
        if (sec.lead == 1) {
            struct Note { double at, length; int degree; };
            const Note a[] = {{0, 1.5, 2}, {1.5, 0.5, 1}, {2, 1, 0}, {3, 1, 1}};
            const Note b[] = {{0, 2, 3}, {2, 1, 2}, {3, 0.75, 1}, {3.75, 0.25, 2}};
            const Note* notes = bar % 2 ? b : a;
            for (int n = 0; n < 4; ++n) {
                double on = at + notes[n].at;
                if (on >= barEnd - 1e-9) continue;
                double len = std::min(notes[n].length * 0.95, barEnd - on);
                s.lead(on, len, chordTone(chord, notes[n].degree, 1), 0.3);
            }
        } else if (sec.lead == 2) {
            const int run[8] = {0, 2, 3, 2, 1, 2, 0, 1};
            int k = 0;
            for (double b = at; b < barEnd - 1e-9; b += 0.5, ++k)
                if (k != 3 && k != 7) s.lead(b, 0.42, chordTone(chord, run[k % 8], 1), 0.22);
        }
    }
}

std::vector<Section> arrangement() {
    const std::vector<Chord> a{kAm, kF, kC, kG}, b{kF, kG, kEm, kAm}, c{kDm, kF, kC, kE}, d{kF, kG, kAm, kAm};
    const double* B = kBoundaries;
    return {
        {0, 16, a, 8, kNoDrums, kNoBass, 0, 1.0, 0, 300, 900},
        {16, B[0], a, 8, kNoDrums, kLong, 1, 1.0, 0, 900, 2500},
        {B[0], B[1], a, 4, kPulse, kEighths, 1, 0.8, 0, 1500, 2500},
        {B[1], 103, a, 4, kFull, kEighths, 2, 0.7, 0, 1800, 2600},
        {103, 135, d, 4, kFull, kEighths, 2, 0.7, 1, 2600, 3000},
        {135, B[2], a, 4, kFull, kOffbeat, 2, 0.7, 1, 3000, 3500},
        {B[2], B[3], b, 4, kHalfTime, kLong, 2, 1.0, 0, 2500, 5000},
        {B[3], 203.5, a, 4, kFull, kOffbeat, 1, 0.7, 2, 2000, 3500},
        {203.5, B[4], a, 4, kFull, kOffbeat, 1, 0.7, 2, 2000, 4500},
        {B[4], B[5], {kE}, 4, kBuild, kNoBass, 0, 0.8, 0, 1500, 6000},
        {B[5], 255.25, c, 4, kFull, kOffbeat, 2, 0.6, 2, 2500, 3500},
        {255.25, B[6], a, 4, kFull, kOffbeat, 2, 0.7, 1, 3000, 4000},
        {B[6], B[7], d, 4, kFull, kEighths, 2, 0.9, 1, 3500, 5000},
        {B[7], 400, b, 4, kHalfTime, kLong, 1, 1.0, 0, 1500, 3000},
        {400, B[8], b, 4, kBuild, kLong, 2, 0.9, 0, 2000, 6000},
        {B[8], 463, a, 4, kFull, kEighths, 2, 0.8, 1, 3500, 3500},
        {463, B[9], a, 4, kHalfTime, kLong, 1, 0.9, 0, 3000, 1200},
        {B[9], B[10], {kAm}, 4, kNoDrums, kLong, 0, 1.0, 0, 1200, 900},
        {B[10], B[11], {kAm}, 10, kNoDrums, kNoBass, 0, 1.0, 0, 900, 400},
    };
}

}  // namespace

void buildSoundtrack(Output& out) {
    Synth synth;
    const std::vector<Section> sections = arrangement();
    for (const Section& s : sections) playSection(synth, s, true);  // kicks first: they duck the rest
    for (const Section& s : sections) playSection(synth, s, false);
    synth.riser(kBoundaries[0] - 4, kBoundaries[0], 0.5);
    synth.riser(kBoundaries[4], kBoundaries[5], 0.6);
    synth.riser(kBoundaries[8] - 8, kBoundaries[8], 0.5);
    for (double b : kBoundaries) synth.impact(b, 0.9);
    synth.crash(203.5, 0.5);  // the sky dome's second pass
    synth.crash(255.25, 0.5);  // from the fly-by to the camera path
    // The close: a bell chord over the last chord, and a last soft stroke as the show ends.
    for (int note : {69, 72, 76, 81}) synth.bell(kBoundaries[10], note, 0.12);
    synth.bell(kBoundaries[11], 57, 0.15);
    out.bytes += writeWav(out.dir + "/vorsa.wav", synth.finish(), kRate);
    ++out.files;
}

}  // namespace gen
