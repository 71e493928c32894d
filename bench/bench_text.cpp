// Settings text: the lenient reader against pugixml on the same content,
// variable substitution against a memchr scan, and a reading-order step on a
// huge story against a small one; each pair measured in the same run.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <pugixml.hpp>
#include <string>

#include "story/u_Story.h"
#include "text/u_SpaceXMLParser.h"
#include "text/u_Variables.h"

namespace {
// A Story.xml of Items pages in chapters of 50, as well-formed XML so both
// readers take exactly the same bytes.
std::string StoryXml(int Items, int PadTo = 0) {
  std::string Xml = "<Story>\r\n";
  const std::string Pad(static_cast<std::size_t>(PadTo), 'x');
  for (int i = 0; i < Items; ++i) {
    if (i % 50 == 0)
      Xml += (i ? "</item>\r\n" : "") + std::string("<item pagename=\"Chapter ") + std::to_string(i / 50 + 1) + "\">\r\n";
    Xml += "<item page=\"\\chap" + std::to_string(i / 50 + 1) + "\\page" + std::to_string(i + 1) +
           ".htm\" pagename=\"Page " + std::to_string(i + 1) + " " + Pad + "\"/>\r\n";
  }
  return Xml + "</item>\r\n</Story>\r\n";
}

const std::string& BigStory() {
  static const std::string Xml = StoryXml(200000, 48); // about 20 MB
  return Xml;
}

void BM_LenientParse(benchmark::State& State) {
  for (auto _ : State) {
    vv::TXMLParser Parser;
    Parser.LoadFromBytes(BigStory());
    benchmark::DoNotOptimize(Parser.Root());
  }
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * BigStory().size()));
}
BENCHMARK(BM_LenientParse)->Unit(benchmark::kMillisecond);

void BM_PugiParse(benchmark::State& State) {
  for (auto _ : State) {
    pugi::xml_document Document;
    const auto Result = Document.load_buffer(BigStory().data(), BigStory().size());
    if (!Result)
      State.SkipWithError("pugixml rejected the story");
    benchmark::DoNotOptimize(Document.first_child());
  }
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * BigStory().size()));
}
BENCHMARK(BM_PugiParse)->Unit(benchmark::kMillisecond);

const std::string& PlainText() {
  static const std::string Text = [] {
    std::string T(100u << 20, 'a');
    for (std::size_t i = 0; i < T.size(); i += 61)
      T[i] = '\n';
    return T;
  }();
  return Text;
}

// As the viewer passes a served file: in place, so a text without references
// is scanned and left as it is; the same buffer serves every iteration.
void BM_SubstituteNoReference(benchmark::State& State) {
  const vv::TVariables Variables("<Variables><Variable Name=\"Owner\">Someone</Variable></Variables>", true);
  std::string Text = PlainText();
  for (auto _ : State) {
    Variables.SubstituteInPlace(Text);
    benchmark::DoNotOptimize(Text.data());
  }
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * Text.size()));
}
BENCHMARK(BM_SubstituteNoReference)->Unit(benchmark::kMillisecond);

void BM_MemchrScan(benchmark::State& State) {
  for (auto _ : State)
    benchmark::DoNotOptimize(std::memchr(PlainText().data(), '%', PlainText().size()));
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * PlainText().size()));
}
BENCHMARK(BM_MemchrScan)->Unit(benchmark::kMillisecond);

// Each step locates a page in the middle of the story, then moves one page on.
void StoryNext(benchmark::State& State, int Pages) {
  vv::TStory Story(std::make_unique<vv::TStoryLine>(StoryXml(Pages)));
  const int Middle = Pages / 2;
  const std::string Shown = "\\chap" + std::to_string((Middle - 1) / 50 + 1) + "\\page" + std::to_string(Middle) + ".htm";
  for (auto _ : State) {
    Story.Next(Shown);
    benchmark::DoNotOptimize(Story.Current());
  }
}
void BM_StoryNext100(benchmark::State& State) { StoryNext(State, 100); }
void BM_StoryNext100000(benchmark::State& State) { StoryNext(State, 100000); }
BENCHMARK(BM_StoryNext100);
BENCHMARK(BM_StoryNext100000);
} // namespace
