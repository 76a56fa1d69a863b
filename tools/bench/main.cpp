// firmware_bench.exe [repeats]: times the staging-file conversion in the current folder
// against two references: the same conversion one word and one record per system call,
// and a plain copy of 2 MiB read and 4 MiB written, the least any conversion must do.
// It also times the check that reads the new file back, right after each conversion as
// the updater does, and, in memory, each record loop alone (with the digest it takes), to
// show what the one chosen at run time gains, and the digest that the check takes alone.
#include "firmware/FirmwareWord.h"
#include "firmware/StagingFile.h"
#include "firmware/StagingRecords.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

namespace {

constexpr char kImagePath[] = "bench_image.bin";
constexpr char kWordAtATimePath[] = "bench_word_at_a_time.bin";
constexpr char kCopyPath[] = "bench_copy.bin";
constexpr UINT kImageLength = 0x200000;
constexpr UINT kStagingLength = 0x400000;

double NowMs() {
    static LARGE_INTEGER frequency;
    if (frequency.QuadPart == 0) {
        QueryPerformanceFrequency(&frequency);
    }
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Times one run that writes `output`. The file is removed first, untimed: the updater
// normally creates the staging file afresh, and truncating megabytes just written costs
// a varying amount of time that would drown what is measured.
double ElapsedMs(const char* output, const std::function<bool()>& run) {
    DeleteFileA(output);
    const double start = NowMs();
    if (!run()) {
        std::fprintf(stderr, "a timed run failed\n");
        std::exit(1);
    }
    return NowMs() - start;
}

struct Timing {
    double median;
    double fastest;
};

Timing Summarise(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.front()};
}

void PrintTiming(const char* what, const Timing& timing, int runs) {
    std::printf("%s: median %.3f ms, fastest %.3f ms (%d runs)\n", what, timing.median,
                timing.fastest, runs);
}

std::vector<unsigned char> MakeImage() {
    std::vector<unsigned char> image(kImageLength);
    std::uint32_t state = 1;
    for (unsigned char& byte : image) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<unsigned char>(state >> 16);
    }
    return image;
}

bool WriteImage(const std::vector<unsigned char>& image) {
    CFile file;
    return file.Open(kImagePath, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive) &&
           file.Write(image.data(), kImageLength) == kImageLength;
}

bool Convert(StagingDigest& written) {
    CFile image;
    char stagingPath[260];
    return image.Open(kImagePath, CFile::modeRead | CFile::shareExclusive) &&
           BuildStagingFile(image, stagingPath, written);
}

// Two bytes read, one seek and four bytes written per word, in ascending order.
bool ConvertWordAtATime() {
    CFile image;
    CFile staging;
    if (!image.Open(kImagePath, CFile::modeRead | CFile::shareExclusive) ||
        !staging.Open(kWordAtATimePath,
                      CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive)) {
        return false;
    }
    image.Seek(0, CFile::begin);
    for (LONG offset = 0; offset < static_cast<LONG>(kStagingLength); offset += 4) {
        unsigned char word[2];
        image.Read(word, sizeof word);
        const std::uint16_t plain =
            DescrambleWord(static_cast<std::uint16_t>(word[0] | word[1] << 8));
        const unsigned char record[4] = {static_cast<unsigned char>(plain & 0xFF), 0xFF,
                                         static_cast<unsigned char>(plain >> 8), 0xFF};
        staging.Seek(offset, CFile::begin);
        staging.Write(record, sizeof record);
    }
    image.Seek(0, CFile::begin);
    return true;
}

// The whole image through one record loop, which also takes the digest, from memory to
// memory.
double LoopMs(RecordLoop loop, const std::vector<unsigned char>& image,
              std::vector<unsigned char>& records) {
    const double start = NowMs();
    StagingDigest digest;
    ConvertWords(loop, image.data(), kImageLength / 2, records.data(), digest);
    return NowMs() - start;
}

// The digest of a whole staging file as the check takes it, from memory.
double DigestMs(RecordLoop loop, const std::vector<unsigned char>& records) {
    const double start = NowMs();
    StagingDigest digest;
    DigestRecords(loop, records.data(), records.size() / 4, digest);
    return NowMs() - start;
}

const char* LoopName(RecordLoop loop) {
    return loop == RecordLoop::Sse2 ? "SSE2" : "32-bit word pairs";
}

// The buffer is made once, outside the timed runs, so that the floor is only file work.
bool CopyFloor(std::vector<unsigned char>& buffer) {
    CFile image;
    CFile copy;
    return image.Open(kImagePath, CFile::modeRead | CFile::shareExclusive) &&
           image.Read(buffer.data(), kImageLength) == kImageLength &&
           copy.Open(kCopyPath, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive) &&
           copy.Write(buffer.data(), kStagingLength) == kStagingLength;
}

bool SameContents(const char* first, const char* second) {
    std::vector<unsigned char> a(kStagingLength + 1);
    std::vector<unsigned char> b(kStagingLength + 1);
    CFile fa;
    CFile fb;
    return fa.Open(first, CFile::modeRead | CFile::shareDenyWrite) &&
           fb.Open(second, CFile::modeRead | CFile::shareDenyWrite) &&
           fa.Read(a.data(), kStagingLength + 1) == kStagingLength &&
           fb.Read(b.data(), kStagingLength + 1) == kStagingLength && a == b;
}

} // namespace

int main(int argc, char** argv) {
    // The ratios compare fastest runs, which on a busy machine takes many runs to find.
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 51;
    // One word-at-a-time run costs as much as hundreds of the others.
    const int slowRepeats = std::min(repeats, 3);
    const std::vector<unsigned char> image = MakeImage();
    if (!WriteImage(image)) {
        std::fprintf(stderr, "cannot write %s\n", kImagePath);
        return 1;
    }
    const RecordLoop chosen = FastestRecordLoop();
    std::vector<RecordLoop> loops = {RecordLoop::WordPairs};
    if (chosen != RecordLoop::WordPairs) {
        loops.push_back(chosen);
    }
    // The conversion and the floor alternate, so that both see the same load of the machine;
    // so do the record loops.
    std::vector<unsigned char> copyBuffer(kStagingLength);
    std::vector<unsigned char> records(kStagingLength);
    std::vector<double> conversionTimes;
    std::vector<double> checkedTimes; // each conversion with the check that follows it
    std::vector<double> floorTimes;
    std::vector<std::vector<double>> loopTimes(loops.size());
    std::vector<double> digestTimes;
    std::vector<double> wordAtATimeTimes;
    for (int i = 0; i < repeats; ++i) {
        StagingDigest written;
        conversionTimes.push_back(ElapsedMs(STAGING_FILE_PATH, [&] { return Convert(written); }));
        const double start = NowMs();
        if (!StagingFileMatches(STAGING_FILE_PATH, written)) {
            std::fprintf(stderr, "the staging file did not read back as written\n");
            return 1;
        }
        checkedTimes.push_back(conversionTimes.back() + NowMs() - start);
        floorTimes.push_back(ElapsedMs(kCopyPath, [&copyBuffer] { return CopyFloor(copyBuffer); }));
    }
    for (int i = 0; i < repeats; ++i) {
        for (std::size_t l = 0; l < loops.size(); ++l) {
            loopTimes[l].push_back(LoopMs(loops[l], image, records));
        }
        digestTimes.push_back(DigestMs(chosen, records));
    }
    for (int i = 0; i < slowRepeats; ++i) {
        wordAtATimeTimes.push_back(ElapsedMs(kWordAtATimePath, ConvertWordAtATime));
    }
    const Timing conversion = Summarise(conversionTimes);
    const Timing checked = Summarise(checkedTimes);
    const Timing floor = Summarise(floorTimes);
    const Timing wordAtATime = Summarise(wordAtATimeTimes);
    const bool same = SameContents(STAGING_FILE_PATH, kWordAtATimePath);

    std::printf("%d-bit build; the conversion uses the record loop: %s\n",
                static_cast<int>(8 * sizeof(void*)), LoopName(chosen));
    PrintTiming("conversion", conversion, repeats);
    PrintTiming("conversion and check", checked, repeats);
    PrintTiming("word-at-a-time", wordAtATime, slowRepeats);
    PrintTiming("floor, 2 MiB read + 4 MiB written", floor, repeats);
    for (std::size_t l = 0; l < loops.size(); ++l) {
        char what[80];
        std::snprintf(what, sizeof what, "record loop alone, 2 MiB in memory, %s",
                      LoopName(loops[l]));
        PrintTiming(what, Summarise(loopTimes[l]), repeats);
    }
    PrintTiming("digest alone, 4 MiB in memory", Summarise(digestTimes), repeats);
    std::printf("staging files identical: %s\n", same ? "yes" : "NO");
    std::printf("medians: conversion/floor %.3f, (conversion and check)/conversion %.3f, "
                "word-at-a-time/conversion %.1f\n",
                conversion.median / floor.median, checked.median / conversion.median,
                wordAtATime.median / conversion.median);
    std::printf("conversion/floor = %.3f\n", conversion.fastest / floor.fastest);
    std::printf("(conversion and check)/conversion = %.3f\n", checked.fastest / conversion.fastest);
    std::printf("word-at-a-time/conversion = %.1f\n", wordAtATime.fastest / conversion.fastest);

    for (const char* path : {kImagePath, kWordAtATimePath, kCopyPath, STAGING_FILE_PATH}) {
        DeleteFileA(path);
    }
    return same ? 0 : 1;
}
