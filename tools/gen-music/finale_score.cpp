// SPDX-License-Identifier: MIT
#include "finale_score.h"

#include <string_view>

#include "note_list.h"

namespace {

constexpr uint32_t kEighth = kTicksPerQuarter / 2;
constexpr uint32_t kBar = 8 * kEighth;

// The tender part begins after eight bars of the dramatic one.
constexpr uint32_t kTenderStart = 8 * kBar;

// General MIDI programs and the channels that play them.
enum Channel {
  kLead = 0,
  kStrings = 1,
  kBass = 2,
  kFlute = 3,
  kPiano = 4,
  kTimpani = 5,
  kDrums = 9
};
enum Program {
  kGrandPiano = 0,
  kContrabass = 43,
  kStringEnsemble = 48,
  kSlowStrings = 49,
  kTimpaniProgram = 47,
  kBrassSection = 61,
  kFluteProgram = 73
};

struct Voice {
  int channel;
  int velocity;
  double legato;  // share of each note's length that sounds
};

// Places a hand-written note list from `start`; returns the tick after its last note.
uint32_t Place(MidiTrack& track, const Voice& voice, uint32_t start, std::string_view notes) {
  uint32_t tick = start;
  for (const ScoreNote& note : ParseNoteList(notes)) {
    const uint32_t length = note.eighths * kEighth;
    const auto sounding = static_cast<uint32_t>(length * voice.legato);
    for (int key : note.keys) track.Note(tick, sounding, voice.channel, key, voice.velocity);
    tick += length;
  }
  return tick;
}

MidiTrack Instrument(const char* name, int channel, int program, int volume, int reverb) {
  MidiTrack track;
  track.Name(name);
  track.Program(0, channel, program);
  track.Controller(0, channel, 7, volume);
  track.Controller(0, channel, 91, reverb);
  return track;
}

MidiTrack TempoMap() {
  MidiTrack track;
  track.Name("Finale");
  track.TimeSignature(0, 4, 2);
  track.Tempo(0, 144);
  track.Tempo(kTenderStart, 76);
  track.Tempo(kTenderStart + 10 * kBar, 68);  // the last two bars slow down
  track.Tempo(kTenderStart + 11 * kBar, 60);
  return track;
}

// Dramatic part: Am F G E | Am F Dm E.
MidiTrack Lead() {
  MidiTrack track = Instrument("Brass", kLead, kBrassSection, 110, 40);
  Place(track, {kLead, 104, 0.92}, 0,
        "E5/3 E5/1 A5/2 G5/2   F5/2 E5/2 C5/4   D5/3 D5/1 G5/2 F5/2   E5/6 G#4/2 "
        "A4/2 C5/2 E5/2 A5/2   C6/4 A5/2 F5/2   D5/2 F5/2 A5/2 G5/1 F5/1   E5/8");
  return track;
}

// Tender part: F C Dm G | Am F G C | F G F-G C.
MidiTrack Flute() {
  MidiTrack track = Instrument("Flute", kFlute, kFluteProgram, 105, 70);
  Place(track, {kFlute, 100, 0.95}, kTenderStart,
        "A4/3 C5/1 F5/4   E5/2 D5/2 C5/2 G4/2   A4/2 D5/2 F5/3 E5/1   D5/6 r/2 "
        "C5/3 E5/1 A5/4   G5/2 F5/2 E5/2 C5/2   D5/3 E5/1 F5/2 D5/2   E5/8 "
        "A5/3 G5/1 F5/2 A4/2   B4/2 D5/2 G5/2 F5/2   E5/4 D5/4   C5/8");
  return track;
}

MidiTrack Strings() {
  MidiTrack track = Instrument("Strings", kStrings, kStringEnsemble, 100, 60);
  Place(track, {kStrings, 78, 1.0}, 0,
        "A3+C4+E4/8 F3+A3+C4/8 G3+B3+D4/8 E3+G#3+B3/8 "
        "A3+C4+E4/8 F3+A3+C4/8 D3+F3+A3/8 E3+G#3+B3+E4/8");
  track.Program(kTenderStart, kStrings, kSlowStrings);
  Place(track, {kStrings, 66, 1.0}, kTenderStart,
        "F3+A3+C4/8 E3+G3+C4/8 D3+F3+A3/8 D3+G3+B3/8 C3+E3+A3/8 C3+F3+A3/8 "
        "D3+G3+B3/8 E3+G3+C4/8 F3+A3+C4/8 D3+G3+B3/8 F3+A3+C4/4 D3+G3+B3/4 E3+G3+C4/8");
  return track;
}

MidiTrack Bass() {
  MidiTrack track = Instrument("Contrabass", kBass, kContrabass, 100, 30);
  // Driving eighths under the drama...
  Place(track, {kBass, 92, 0.7}, 0,
        "A2/1 A2/1 A2/1 A2/1 A2/1 A2/1 A2/1 A2/1   F2/1 F2/1 F2/1 F2/1 F2/1 F2/1 F2/1 F2/1 "
        "G2/1 G2/1 G2/1 G2/1 G2/1 G2/1 G2/1 G2/1   E2/1 E2/1 E2/1 E2/1 E2/1 E2/1 B2/1 G#2/1 "
        "A2/1 A2/1 A2/1 A2/1 A2/1 A2/1 A2/1 A2/1   F2/1 F2/1 F2/1 F2/1 F2/1 F2/1 F2/1 F2/1 "
        "D2/1 D2/1 D2/1 D2/1 D2/1 D2/1 D2/1 D2/1   E2/8");
  // ...long, walking roots under the tenderness.
  Place(track, {kBass, 74, 0.95}, kTenderStart,
        "F2/8 C2/4 E2/4 D2/8 G2/8 A2/4 G2/4 F2/8 G2/8 C2/4 E2/4 F2/8 G2/8 F2/4 G2/4 C2/8");
  return track;
}

MidiTrack Timpani() {
  MidiTrack track = Instrument("Timpani", kTimpani, kTimpaniProgram, 100, 50);
  Place(track, {kTimpani, 100, 0.9}, 0,
        "A2/4 E2/4   F2/4 C2/4   G2/4 D2/4   E2/4 E2/2 E2/1 E2/1 "
        "A2/4 E2/4   F2/4 C2/4   D2/4 A2/4   E2/1 E2/1 E2/1 E2/1 E2/1 E2/1 E2/1 E2/1");
  return track;
}

// Drum keys as pitches: C2 kick, D2 snare, F#2 closed hi-hat, C#3 crash.
MidiTrack Drums() {
  MidiTrack track;
  track.Name("Drums");
  track.Controller(0, kDrums, 7, 95);
  constexpr std::string_view kGroove =
      "C2+F#2/1 F#2/1 D2+F#2/1 F#2/1 C2+F#2/1 F#2/1 D2+F#2/1 C2+F#2/1 ";
  constexpr std::string_view kGrooveWithCrash =
      "C2+C#3/1 F#2/1 D2+F#2/1 F#2/1 C2+F#2/1 F#2/1 D2+F#2/1 C2+F#2/1 ";
  const Voice drums{kDrums, 96, 0.5};
  uint32_t tick = 0;
  for (int bar = 0; bar < 7; ++bar)
    tick = Place(track, drums, tick, bar % 4 == 0 ? kGrooveWithCrash : kGroove);
  // The last dramatic bar: a crash, then a snare roll that swells into the quiet.
  tick = Place(track, drums, tick, "C2+C#3/2 r/2");
  for (int step = 0; step < 8; ++step) {
    track.Note(tick + step * kEighth / 2, kEighth / 4, kDrums, KeyOf("D2"), 50 + step * 8);
  }
  return track;
}

MidiTrack Piano() {
  MidiTrack track = Instrument("Piano", kPiano, kGrandPiano, 90, 70);
  const Voice piano{kPiano, 66, 1.6};  // let each note ring over the next, as with the pedal down
  Place(track, piano, kTenderStart,
        "F2/1 C3/1 F3/1 A3/1 C4/1 A3/1 F3/1 C3/1   C2/1 G2/1 C3/1 E3/1 G3/1 E3/1 C3/1 G2/1 "
        "D2/1 A2/1 D3/1 F3/1 A3/1 F3/1 D3/1 A2/1   G2/1 D3/1 G3/1 B3/1 D4/1 B3/1 G3/1 D3/1 "
        "A2/1 E3/1 A3/1 C4/1 E4/1 C4/1 A3/1 E3/1   F2/1 C3/1 F3/1 A3/1 C4/1 A3/1 F3/1 C3/1 "
        "G2/1 D3/1 G3/1 B3/1 D4/1 B3/1 G3/1 D3/1   C2/1 G2/1 C3/1 E3/1 G3/1 E3/1 C3/1 G2/1 "
        "F2/1 C3/1 F3/1 A3/1 C4/1 A3/1 F3/1 C3/1   G2/1 D3/1 G3/1 B3/1 D4/1 B3/1 G3/1 D3/1 "
        "F2/1 C3/1 F3/1 A3/1 G2/1 D3/1 G3/1 B3/1   C2+G2+C3+E3+G3+C4/8");
  return track;
}

}  // namespace

std::vector<MidiTrack> ComposeFinale() {
  return {TempoMap(), Lead(), Strings(), Bass(), Timpani(), Drums(), Flute(), Piano()};
}
