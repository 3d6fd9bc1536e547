// Generated drawings of every shape of section sizes, read on 1, 2, 3 and 8 threads: each reading must be the one
// the single reader makes, said alike, saved to the same bytes, and must end. A reading that does not end within
// the watchdog's time ends the program with the drawing's seed, so that a hang fails rather than stalls.
#include "DxfDescribe.h"
#include "DxfGenerator.h"

#include "platform/cad/dxf/DxfReader.h"
#include "platform/cad/dxf/DxfSource.h"
#include "platform/cad/dxf/DxfWriter.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

namespace {

// Ends the program when a reading takes longer than `seconds`: a hang would otherwise hold the suite until
// CTest's own time runs out, and say nothing of which drawing it was.
class Watchdog {
public:
    Watchdog(int seconds, std::string what) : m_what(std::move(what)) {
        m_thread = std::thread([this, seconds] {
            std::unique_lock lock(m_mutex);
            if (!m_done.wait_for(lock, std::chrono::seconds(seconds), [this] { return m_disarmed; })) {
                std::fprintf(stderr, "watchdog: %s did not end within %d s\n", m_what.c_str(), seconds);
                std::fflush(stderr);
                std::_Exit(3);
            }
        });
    }
    ~Watchdog() {
        {
            std::lock_guard lock(m_mutex);
            m_disarmed = true;
        }
        m_done.notify_all();
        m_thread.join();
    }

private:
    std::string m_what;
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_disarmed = false;
    std::thread m_thread;
};

struct Reading {
    std::string said;
    std::string described;
    std::string saved;
};

Reading ReadOn(const std::string& text, unsigned threads, std::size_t chunkedFrom, const std::string& what,
               bool strict = false) {
    Watchdog watchdog(120, what + " read on " + std::to_string(threads) + " threads");
    std::unique_ptr<cad::Database> database;
    cad::DxfReadOptions options;
    options.threads = threads;
    options.chunkedFrom = chunkedFrom;
    options.strict = strict;
    // A big drawing is read from a file, which maps it, as the program reads one.
    cad::DxfResult result;
    if (text.size() >= cad::DxfSource::kMapFrom) {
        std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("vantorel-property-" + std::to_string(::getpid()) + ".dxf");
        std::ofstream(path, std::ios::binary) << text;
        result = cad::ReadDxfFile(path.string(), cad::CodePage::Default(), database, options);
        std::filesystem::remove(path);
    } else {
        result = cad::ReadDxfText(text, cad::CodePage::Default(), database, options);
    }
    Reading reading;
    reading.said = std::to_string(static_cast<int>(result.status)) + " " + result.Place() + ": " + result.detail;
    for (const std::string& warning : result.warnings)
        reading.said += "\n" + warning;
    for (const std::string& note : result.DamageNotes("drawing"))
        reading.said += "\n" + note;
    if (database) {
        reading.described = dxftest::Describe(*database);
        if (!cad::WriteDxfText(*database, cad::CodePage::Default(), reading.saved).Ok())
            reading.saved = "not saved";
    }
    return reading;
}

const dxftest::Fault kFaults[] = {dxftest::Fault::BadReal,       dxftest::Fault::BadCode,
                                  dxftest::Fault::LostLine,      dxftest::Fault::ExtraLine,
                                  dxftest::Fault::MissingSeqend, dxftest::Fault::StrayEndblk,
                                  dxftest::Fault::Truncated};

std::uint32_t BaseSeed() {
    const char* given = std::getenv("VANTOREL_PROPERTY_SEED");
    return given ? static_cast<std::uint32_t>(std::strtoul(given, nullptr, 10)) : 20261208u;
}

// `count` drawings with sections up to the given sizes; chunks from `chunkedFrom` bytes (0: a random small size).
void CheckDrawings(int count, std::size_t entities, std::size_t blocks, std::size_t objects, std::size_t chunkedFrom) {
    for (int i = 0; i < count; ++i) {
        std::uint32_t seed = BaseSeed() + static_cast<std::uint32_t>(i);
        dxftest::DxfGenerator generator(seed);
        auto upTo = [&](std::size_t most) {
            // Empty, tiny and big all come up often.
            switch (generator.Below(4)) {
            case 0: return std::size_t{0};
            case 1: return static_cast<std::size_t>(generator.Below(2000));
            default: return std::uniform_int_distribution<std::size_t>(0, most)(generator.Random());
            }
        };
        dxftest::GeneratedSizes sizes{upTo(entities), upTo(blocks), upTo(objects)};
        bool r12 = generator.Below(4) == 0;
        bool crlf = generator.Below(4) == 0;
        dxftest::Fault fault = generator.Below(2) == 0 ? dxftest::Fault::None : kFaults[generator.Below(7)];
        std::size_t threshold = chunkedFrom ? chunkedFrom : 256 + static_cast<std::size_t>(generator.Below(16384));
        dxftest::GeneratedDrawing drawing = generator.Make(sizes, r12, crlf, fault);
        std::string what = "drawing " + std::to_string(seed) + " (entities " + std::to_string(sizes.entities) +
                           ", blocks " + std::to_string(sizes.blocks) + ", objects " + std::to_string(sizes.objects) +
                           ", fault " + std::to_string(static_cast<int>(fault)) + " at " +
                           std::to_string(drawing.faultAt) + (crlf ? ", CR LF" : "") + (r12 ? ", R12" : "") +
                           ", chunks from " + std::to_string(threshold) + ")";
        SCOPED_TRACE(what);
        // Read for what it holds and read strictly, a damaged drawing is the same on any number of threads.
        for (bool strict : {false, true}) {
            Reading one = ReadOn(drawing.text, 1, threshold, what, strict);
            if (fault == dxftest::Fault::None) {
                ASSERT_EQ(one.said.substr(0, 10), "0 line 0: ") << one.said;
            }
            for (unsigned threads : {2u, 3u, 8u}) {
                Reading many = ReadOn(drawing.text, threads, threshold, what, strict);
                ASSERT_EQ(many.said, one.said) << threads << " threads" << (strict ? ", strict" : "");
                ASSERT_EQ(dxftest::FirstDifference(one.described, many.described), "") << threads << " threads";
                ASSERT_TRUE(many.saved == one.saved) << threads << " threads: saved otherwise";
            }
            // What is read is saved as it stood, damage and all.
            if (!strict && !one.saved.empty()) {
                ASSERT_TRUE(one.saved == drawing.text) << "saved otherwise than it was read";
            }
        }
    }
}

TEST(ChunkedReadProperty, SmallDrawingsOfEveryShapeReadAsOneReaderReadsThem) {
    CheckDrawings(120, 200 << 10, 100 << 10, 300 << 10, 0);
}

// The sizes that made the reader wait forever: a small ENTITIES section and a big OBJECTS one.
TEST(ChunkedReadProperty, ASmallEntitiesSectionBeforeBigObjectsIsReadByOneReader) {
    dxftest::DxfGenerator generator(7);
    dxftest::GeneratedDrawing drawing =
        generator.Make(dxftest::GeneratedSizes{4 << 10, 0, 7 << 20}, false, false, dxftest::Fault::None);
    Reading one = ReadOn(drawing.text, 1, cad::DxfReadOptions().chunkedFrom, "small entities, big objects");
    ASSERT_EQ(one.said, "0 line 0: ");
    Reading many = ReadOn(drawing.text, 4, cad::DxfReadOptions().chunkedFrom, "small entities, big objects");
    EXPECT_EQ(many.said, one.said);
    EXPECT_TRUE(many.saved == drawing.text);
}

// Found by the fuzzer: a section whose first tag cannot be read was cut into chunks from the file's first byte, and
// every line after it was told one too early.
TEST(ChunkedReadProperty, ASectionWhoseFirstTagCannotBeReadIsNotCutIntoChunks) {
    std::string entities;
    for (int i = 0; i < 40; ++i)
        entities += "  0\nLINE\n  8\n0\n 10\n" + std::to_string(i) + ".5\n 20\n1.0\n 11\n2.0\n 21\n3.0\n";
    std::string text = "  0\nSECTION\n  2\nENTITIES\n0rd\n" + entities + "  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n" +
                       entities + "  0\nLINE\n 10\nx\n  0\nENDSEC\n  0\nEOF\n";
    Reading one = ReadOn(text, 1, 64, "a bad first tag");
    EXPECT_EQ(one.said, "0 line 0: \ndrawing, line 5: an object could not be read and was left out\ndrawing, lines "
                        "972-975: a LINE could not be read and was left out");
    for (unsigned threads : {2u, 4u}) {
        Reading many = ReadOn(text, threads, 64, "a bad first tag");
        EXPECT_EQ(many.said, one.said);
        EXPECT_EQ(dxftest::FirstDifference(one.described, many.described), "");
    }
}

TEST(ChunkedReadPropertySlow, BigDrawingsOfEveryShapeReadAsOneReaderReadsThem) {
    CheckDrawings(16, 8 << 20, 20 << 20, 20 << 20, cad::DxfReadOptions().chunkedFrom);
}

} // namespace
