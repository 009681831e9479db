// Percent decoding and encoding throughput on 1 MB of mixed cookie values under each encoding
// code, and CP932 <-> UTF-16 conversion beside glibc iconv on the same text.

#include <benchmark/benchmark.h>
#include <iconv.h>

#include <random>
#include <string>
#include <vector>

#include "codec/Cp932.h"
#include "codec/Mbcs.h"
#include "codec/Percent.h"

namespace {

constexpr std::size_t kTotal = 1 << 20;

// Cookie values as the program edits them: Shift_JIS text with ASCII words, spaces, line
// breaks, kana and kanji. Only characters every code carries (and iconv maps) are used.
const std::vector<std::string>& Texts() {
  static const std::vector<std::string> texts = [] {
    std::vector<std::string> pairs;
    for (unsigned lead = 0x81; lead <= 0xEF; ++lead) {
      for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
        const std::string pair = {static_cast<char>(lead), static_cast<char>(trail)};
        if (codec::IsCp932LeadByte(lead) && codec::IsCp932TrailByte(trail) &&
            codec::Utf16ToCp932(codec::Cp932ToUtf16(pair)) == pair &&
            _mbcjmstojis(lead << 8 | trail)) {
          pairs.push_back(pair);
        }
      }
    }
    static const char* const kWords[] = {"id", "session", "lang=ja", "2024", "path", "x9f3k"};
    std::mt19937 rng(42);
    std::vector<std::string> out;
    std::size_t total = 0;
    while (total < kTotal) {
      std::string value;
      const int parts = std::uniform_int_distribution<>(2, 20)(rng);
      for (int i = 0; i < parts; ++i) {
        switch (std::uniform_int_distribution<>(0, 5)(rng)) {
          case 0:
            value += kWords[std::uniform_int_distribution<>(0, 5)(rng)];
            break;
          case 1:
            value += ' ';
            break;
          case 2:
            value += "\r\n";
            break;
          default:
            value += pairs[std::uniform_int_distribution<std::size_t>(0, pairs.size() - 1)(rng)];
            break;
        }
      }
      total += value.size();
      out.push_back(std::move(value));
    }
    return out;
  }();
  return texts;
}

std::string Joined() {
  std::string all;
  for (const auto& t : Texts()) all += t;
  return all;
}

void BM_PercentEncode(benchmark::State& state, char code) {
  const auto& texts = Texts();
  std::string out;
  std::size_t bytes = 0;
  for (auto _ : state) {
    for (const auto& t : texts) {
      PercentEncode(code, t.data(), static_cast<int>(t.size()), out);
      benchmark::DoNotOptimize(out.data());
      bytes += t.size();
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}

void BM_PercentDecode(benchmark::State& state, char code) {
  std::vector<std::string> stored;
  for (const auto& t : Texts()) {
    stored.emplace_back();
    PercentEncode(code, t.data(), static_cast<int>(t.size()), stored.back());
  }
  std::string out;
  std::size_t bytes = 0;
  for (auto _ : state) {
    for (const auto& s : stored) {
      PercentDecode(code, s.data(), static_cast<int>(s.size()), out);
      benchmark::DoNotOptimize(out.data());
      bytes += s.size();
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}

void BM_Cp932ToUtf16_Codec(benchmark::State& state) {
  const std::string text = Joined();
  for (auto _ : state) {
    std::u16string out = codec::Cp932ToUtf16(text);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// iconv into a buffer allocated once, so iconv is measured at its best.
void RunIconv(benchmark::State& state, const char* to, const char* from, std::string in,
              std::size_t inBytes) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    state.SkipWithError("iconv has no CP932 converter");
    return;
  }
  std::string out(in.size() * 2 + 16, '\0');
  for (auto _ : state) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* inPtr = in.data();
    char* outPtr = out.data();
    std::size_t inLeft = in.size();
    std::size_t outLeft = out.size();
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
      state.SkipWithError("iconv rejected the text");
      break;
    }
    benchmark::DoNotOptimize(out.data());
  }
  iconv_close(cd);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * inBytes));
}

void BM_Cp932ToUtf16_Iconv(benchmark::State& state) {
  const std::string text = Joined();
  RunIconv(state, "UTF-16LE", "CP932", text, text.size());
}

// Both directions count the CP932 bytes, so the figures compare directly.
void BM_Utf16ToCp932_Codec(benchmark::State& state) {
  const std::string text = Joined();
  const std::u16string units = codec::Cp932ToUtf16(text);
  for (auto _ : state) {
    std::string out = codec::Utf16ToCp932(units);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_Utf16ToCp932_Iconv(benchmark::State& state) {
  const std::string text = Joined();
  const std::u16string units = codec::Cp932ToUtf16(text);
  RunIconv(state, "CP932", "UTF-16LE",
           std::string(reinterpret_cast<const char*>(units.data()), units.size() * 2), text.size());
}

}  // namespace

BENCHMARK_CAPTURE(BM_PercentDecode, SevenBit, ' ')->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PercentDecode, S, 'S')->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PercentDecode, E, 'E')->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PercentDecode, J, 'J')->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PercentDecode, U, 'U')->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PercentEncode, SevenBit, ' ')->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PercentEncode, S, 'S')->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PercentEncode, E, 'E')->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PercentEncode, J, 'J')->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PercentEncode, U, 'U')->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Cp932ToUtf16_Codec)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Cp932ToUtf16_Iconv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Utf16ToCp932_Codec)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Utf16ToCp932_Iconv)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
