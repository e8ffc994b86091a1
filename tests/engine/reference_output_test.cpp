// Every committed example in every output format, under the settings that change how frames
// are written (changed regions, transparency, a replayed return trip, a trimmed page), checked
// byte for byte against digests recorded from an earlier, known-good build. A change in any
// output byte shows here; when the encoders change on purpose, the digests are remade with
// MORVANE_WRITE_REFERENCE=<file> and committed on their own.
#include "engine/task.h"
#include "settings/project_file.h"
#include "support/strk_writer.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <boost/make_shared.hpp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kAllRoundFlags =
    mrv::RoundFlags::ReverseColor | mrv::RoundFlags::ReverseAlpha | mrv::RoundFlags::ReverseAngle |
    mrv::RoundFlags::ReverseRate | mrv::RoundFlags::ReverseOffset;

struct Variant {
    const char* m_name;
    std::uint32_t m_flags; // besides Resize, and the example's own Phase flag
    bool m_mirror;         // every RoundFlag with straight lines: the return trip is replayed
};

constexpr Variant kVariants[] = {
    {"regions", mrv::TaskFlags::AutoTrimFrames | mrv::TaskFlags::BkColor, false},
    {"whole", mrv::TaskFlags::BkColor, false},
    {"clear", mrv::TaskFlags::AutoTrimFrames, false},
    {"mirror", mrv::TaskFlags::AutoTrimFrames | mrv::TaskFlags::BkColor, true},
    {"mirror-clear", mrv::TaskFlags::AutoTrimFrames, true},
    {"trim",
     mrv::TaskFlags::AutoTrim | mrv::TaskFlags::AutoTrimFrames | mrv::TaskFlags::BkColor |
         mrv::TaskFlags::KeepProportion,
     false},
};

constexpr const char* kExamples[] = {"morph", "widths", "curved_text", "phased_dots"};

constexpr std::pair<mrv::DstFormat, const char*> kFormats[] = {
    {mrv::DstFormat::PNG, "PNG"},   {mrv::DstFormat::APNG, "APNG"}, {mrv::DstFormat::GIF, "GIF"},
    {mrv::DstFormat::AGIF, "AGIF"}, {mrv::DstFormat::WEBP, "WEBP"},
};

// 64-bit FNV-1a: enough to tell any changed byte, and needs nothing beyond the test.
std::uint64_t Fnv1a(const std::string& bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// "<example> <variant> <format> <file> <size> <digest>", one line per written file.
using Digests = std::map<std::string, std::string>;

mrv::CTaskSetting SettingFor(const std::string& example, const Variant& variant,
                             mrv::DstFormat format, const fs::path& out) {
    mrv::CTaskSetting setting;
    CSimpleErr err;
    EXPECT_TRUE(LoadProject(std::string(EXAMPLES_DIR) + "/" + example + ".mrva", setting, err))
        << err.m_text;
    setting.SetFlags(variant.m_flags | mrv::TaskFlags::Resize |
                     (setting.GetFlags() & mrv::TaskFlags::Phase));
    if (variant.m_mirror) {
        setting.SetRoundFlags(kAllRoundFlags);
        setting.SetInterpolateType(mrv::InterpolateType::LineLiner);
    }
    setting.SetWidth(96);
    setting.SetHeight(72);
    setting.SetInterFrameCount(5);
    setting.SetDstFormat(format);
    setting.SetDstFolder(out.string());
    setting.SetDstName(example);
    return setting;
}

// Runs every case on `threads` threads into `root` and digests what each wrote.
Digests RunAll(const fs::path& root, int threads) {
    Digests digests;
    for (const char* example : kExamples) {
        for (const Variant& variant : kVariants) {
            for (const auto& [format, formatName] : kFormats) {
                const std::string key =
                    std::string(example) + " " + variant.m_name + " " + formatName;
                SCOPED_TRACE(key);
                const fs::path out =
                    root / (std::string(example) + "-" + variant.m_name + "-" + formatName);
                fs::create_directories(out);
                auto task = boost::make_shared<mrv::CTask>();
                task->Configure(SettingFor(example, variant, format, out));
                task->SetThreadCount(threads);
                task->Run(nullptr);
                EXPECT_FALSE(task->HasErr()) << task->GetErr().m_text;
                std::vector<fs::path> files;
                for (const auto& entry : fs::directory_iterator(out)) {
                    files.push_back(entry.path());
                }
                std::sort(files.begin(), files.end());
                EXPECT_FALSE(files.empty());
                for (const fs::path& file : files) {
                    const std::string bytes = ReadFile(file);
                    char digest[32];
                    std::snprintf(digest, sizeof digest, "%016llx",
                                  static_cast<unsigned long long>(Fnv1a(bytes)));
                    digests[key + " " + file.filename().string()] =
                        std::to_string(bytes.size()) + " " + digest;
                }
            }
        }
    }
    return digests;
}

Digests ReadDigests(const fs::path& path) {
    Digests digests;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        // The last two words are the size and the digest; the rest names the file.
        const auto digestAt = line.rfind(' ');
        const auto sizeAt = line.rfind(' ', digestAt - 1);
        digests[line.substr(0, sizeAt)] = line.substr(sizeAt + 1);
    }
    return digests;
}

// The same bytes on one thread and on eight, whatever order the frames are finished in.
TEST(ReferenceOutputs, EveryExampleFormatAndVariantMatchesTheRecordedBytes) {
    morvane::test::CTempFolder dir;
    if (const char* target = std::getenv("MORVANE_WRITE_REFERENCE")) {
        std::ofstream out(target);
        out << "# example variant format file size fnv1a-64 (tests/engine/"
               "reference_output_test.cpp)\n";
        for (const auto& [name, value] : RunAll(dir.Path() / "1", 1)) {
            out << name << " " << value << "\n";
        }
        GTEST_SKIP() << "reference written to " << target;
    }

    const Digests expected = ReadDigests(REFERENCE_DIGESTS);
    ASSERT_FALSE(expected.empty()) << REFERENCE_DIGESTS;
    for (const int threads : {1, 8}) {
        SCOPED_TRACE(testing::Message() << threads << " threads");
        const Digests written = RunAll(dir.Path() / std::to_string(threads), threads);
        for (const auto& [name, value] : expected) {
            const auto found = written.find(name);
            if (found == written.end()) {
                ADD_FAILURE() << "not written: " << name;
            } else {
                EXPECT_EQ(found->second, value) << name;
            }
        }
        for (const auto& [name, value] : written) {
            EXPECT_TRUE(expected.contains(name)) << "written but not expected: " << name;
        }
    }
}

// A red rectangle on a transparent page of 32 x 24 pixels; (x0, y0)-(x1, y1) its corners.
std::string WriteRect(const fs::path& path, double x0, double y0, double x1, double y1) {
    morvane::test::StrkWriter writer;
    auto& model = writer.Model();
    model.unit = 1;
    model.resolution = 72;
    model.pageWidth = 32;
    model.pageHeight = 24;
    model.Line(u"rect")
        .Fill(morvane::test::Mono(stroke::CColor(65535, 0, 0, 0, 65535)))
        .Part(true)
        .Point(x0, y0, 0)
        .Point(x1, y0, 0)
        .Point(x1, y1, 0)
        .Point(x0, y1, 0);
    writer.Save(path.string());
    return path.string();
}

// The first frame covers the whole page and is opaque; the later ones leave most of it
// transparent. The animated formats hold one choice of transparency for all frames, so the
// later frames decide it, not the first.
TEST(ReferenceOutputs, OpaqueFirstFrameBeforeTranslucentOnes) {
    morvane::test::CTempFolder dir;
    mrv::CTaskSetting setting;
    setting.SetSrcPath0(WriteRect(dir.Path() / "a.strk", -2, -2, 34, 26));
    setting.SetSrcPath1(WriteRect(dir.Path() / "b.strk", 12, 8, 20, 16));
    setting.SetInterFrameCount(3);
    setting.SetRoundType(mrv::RoundType::None);
    setting.SetInterpolateType(mrv::InterpolateType::LineLiner);
    setting.SetDstName("r");
    const struct {
        mrv::DstFormat format;
        std::uint32_t flags;
        const char* file;
        const char* digest;
    } cases[] = {
        {mrv::DstFormat::APNG, 0, "r.png", "602 92fbb993ac71f586"},
        {mrv::DstFormat::APNG, mrv::TaskFlags::AutoTrimFrames, "r.png", "577 a475dbecb73bebb0"},
        {mrv::DstFormat::AGIF, 0, "r.gif", "377 2764c499999fe4c5"},
        {mrv::DstFormat::AGIF, mrv::TaskFlags::AutoTrimFrames, "r.gif", "377 2764c499999fe4c5"},
        {mrv::DstFormat::PNG, 0, "r0000.png", "114 88d7eed99a7b1a50"},
    };
    int run = 0;
    for (const auto& c : cases) {
        const fs::path out = dir.Path() / std::to_string(run++);
        fs::create_directories(out);
        setting.SetDstFormat(c.format);
        setting.SetFlags(c.flags);
        setting.SetDstFolder(out.string());
        auto task = boost::make_shared<mrv::CTask>();
        task->Configure(setting);
        task->SetThreadCount(3);
        task->Run(nullptr);
        ASSERT_FALSE(task->HasErr()) << task->GetErr().m_text;
        const std::string bytes = ReadFile(out / c.file);
        char digest[32];
        std::snprintf(digest, sizeof digest, "%016llx",
                      static_cast<unsigned long long>(Fnv1a(bytes)));
        EXPECT_EQ(std::to_string(bytes.size()) + " " + digest, c.digest) << c.file;
        if (c.format == mrv::DstFormat::PNG) {
            // The first frame is opaque (its PNG has no alpha), the second is not.
            ASSERT_GT(bytes.size(), 25u);
            EXPECT_EQ(bytes[25], 2);
            EXPECT_EQ(ReadFile(out / "r0001.png").at(25), 6);
        }
    }
}

} // namespace
