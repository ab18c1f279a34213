// SPDX-License-Identifier: MIT
#include "script.h"

#include <charconv>
#include <set>
#include <sstream>

#include "wavemix/wavemix.h"

namespace render {

namespace {

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

class LineParser {
 public:
  LineParser(int line, std::vector<std::string> words) : line_(line), words_(std::move(words)) {}

  [[noreturn]] void Fail(const std::string& message) const { throw ScriptError(line_, message); }

  bool AtEnd() const { return next_ >= words_.size(); }
  const std::string& Take(const char* what) {
    if (AtEnd()) Fail(std::string("missing ") + what);
    return words_[next_++];
  }
  std::int64_t Number(const char* what, std::int64_t low, std::int64_t high) {
    const std::string& word = Take(what);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size()) {
      Fail(std::string("expected a number for ") + what + ", not \"" + word + "\"");
    }
    if (value < low || value > high) {
      Fail(std::string(what) + " out of range: " + word);
    }
    return value;
  }
  void ExpectEnd() {
    if (!AtEnd()) Fail("unexpected \"" + words_[next_] + "\"");
  }

 private:
  int line_;
  std::vector<std::string> words_;
  std::size_t next_ = 1;  // after the command word
};

constexpr std::int64_t Int32Min = INT32_MIN;
constexpr std::int64_t Int32Max = INT32_MAX;

void ParseChannelOrAll(LineParser& p, Command& c, const char* allWord) {
  const std::string& word = p.Take("channel");
  if (word == allWord) {
    c.all = true;
    return;
  }
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (error != std::errc() || end != word.data() + word.size() || value < Int32Min ||
      value > Int32Max) {
    p.Fail(std::string("expected a channel number or \"") + allWord + "\", not \"" + word + "\"");
  }
  c.number = static_cast<std::int32_t>(value);
}

Command ParseLine(int line, const std::vector<std::string>& words, const std::string& rest,
                  std::set<std::string>& opened) {
  LineParser p(line, words);
  Command c;
  c.line = line;
  const std::string& verb = words[0];
  if (verb == "config") {
    c.op = Op::Config;
    while (!p.AtEnd()) {
      const std::string& word = p.Take("option");
      if (word == "stereo") {
        c.stereo = true;
      } else if (word == "rate") {
        const std::int64_t rate = p.Number("rate", 11, 44);
        if (rate != 11 && rate != 22 && rate != 44) p.Fail("rate must be 11, 22 or 44");
        c.rateCode = static_cast<std::uint16_t>(rate);
      } else {
        p.Fail("unknown config option \"" + word + "\"");
      }
    }
  } else if (verb == "open") {
    c.op = Op::Open;
    c.name = p.Take("wave name");
    // The path is the rest of the line, so it may hold blanks.
    const std::size_t at = rest.find(c.name, rest.find("open") + 4) + c.name.size();
    c.path = rest.substr(at);
    c.path.erase(0, c.path.find_first_not_of(" \t"));
    c.path.erase(c.path.find_last_not_of(" \t\r") + 1);
    if (c.path.empty()) p.Fail("missing path");
    opened.insert(c.name);
    return c;
  } else if (verb == "channels") {
    c.op = Op::Channels;
    const std::string& how = p.Take("\"all\", \"count\" or \"one\"");
    if (how == "all") {
      c.all = true;
    } else if (how == "count") {
      c.count = true;
      c.number = static_cast<std::int32_t>(p.Number("channel count", Int32Min, Int32Max));
    } else if (how == "one") {
      c.number = static_cast<std::int32_t>(p.Number("channel", Int32Min, Int32Max));
    } else {
      p.Fail("expected \"all\", \"count N\" or \"one N\", not \"" + how + "\"");
    }
  } else if (verb == "activate") {
    c.op = Op::Activate;
  } else if (verb == "deactivate") {
    c.op = Op::Deactivate;
  } else if (verb == "play") {
    c.op = Op::Play;
    ParseChannelOrAll(p, c, "any");
    c.name = p.Take("wave name");
    if (!opened.count(c.name)) p.Fail("wave \"" + c.name + "\" was never opened");
    std::set<std::string> seen;
    while (!p.AtEnd()) {
      const std::string word = p.Take("option");
      if (!seen.insert(word).second) p.Fail("\"" + word + "\" given twice");
      if (word == "loops") {
        const std::string& count = p.Take("loop count");
        c.loops = count == "forever"
                      ? MixLoopForever
                      : static_cast<std::uint16_t>(
                            LineParser(line, {"loops", count}).Number("loop count", 0, 65534));
      } else if (word == "clear") {
        c.flags |= MixPlayClearQueue;
      } else if (word == "high") {
        c.flags |= MixPlayHighPriority;
      } else if (word == "wait") {
        c.flags |= MixPlayWait;
      } else if (word == "notify") {
        c.notify = true;
      } else {
        p.Fail("unknown play option \"" + word + "\"");
      }
    }
    if (c.all) c.flags |= MixPlayLeastRecent;
  } else if (verb == "flush") {
    c.op = Op::Flush;
    ParseChannelOrAll(p, c, "all");
    if (!p.AtEnd()) {
      const std::string& word = p.Take("option");
      if (word != "noremix") p.Fail("unknown flush option \"" + word + "\"");
      c.flags |= MixNoRemix;
    }
  } else if (verb == "close") {
    c.op = Op::Close;
    ParseChannelOrAll(p, c, "all");
  } else if (verb == "free") {
    c.op = Op::Free;
    c.name = p.Take("wave name");
    if (!opened.count(c.name)) p.Fail("wave \"" + c.name + "\" was never opened");
  } else if (verb == "wait") {
    c.op = Op::Wait;
    c.number = static_cast<std::int32_t>(p.Number("milliseconds", 0, Int32Max));
  } else if (verb == "end") {
    c.op = Op::End;
  } else {
    p.Fail("unknown command \"" + verb + "\"");
  }
  p.ExpectEnd();
  return c;
}

}  // namespace

std::vector<Command> ParseScript(const std::string& text) {
  std::vector<Command> commands;
  std::set<std::string> opened;
  std::istringstream in(text);
  int line = 0;
  for (std::string raw; std::getline(in, raw);) {
    ++line;
    const std::string content = raw.substr(0, raw.find('#'));
    const std::vector<std::string> words = Words(content);
    if (words.empty()) continue;
    Command command = ParseLine(line, words, content, opened);
    if (command.op == Op::Config && !commands.empty()) {
      throw ScriptError(line, "\"config\" must be the first command");
    }
    commands.push_back(std::move(command));
  }
  return commands;
}

}  // namespace render
