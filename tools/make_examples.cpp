// make_examples: writes the example START/END stroke images and their project files into a
// folder (examples/ of the source tree). Edit a drawing here and run it again to remake them:
//   build/bin/make_examples examples
#include "engine/task_setting.h"
#include "settings/project_file.h"
#include "support/strk_writer.h"

#include <cmath>
#include <exception>
#include <filesystem>
#include <functional>
#include <iostream>
#include <numbers>
#include <string>

namespace {

namespace fs = std::filesystem;
using morvane::test::Gradation;
using morvane::test::Mono;
using morvane::test::StrkFigure;
using morvane::test::StrkModel;
using morvane::test::StrkPart;
using morvane::test::StrkStop;
using morvane::test::StrkWriter;

constexpr double kPageWidth = 320;
constexpr double kPageHeight = 240;

// An opaque RGB colour from 8-bit components.
stroke::CColor Rgb(int r, int g, int b, int alpha = 255) {
    auto c = [](int v) { return static_cast<std::uint16_t>(v * 257); };
    return {c(r), c(g), c(b), 0, c(alpha)};
}

// A page of 320 x 240 pixels at 72 dpi, RGB.
StrkWriter Page() {
    StrkWriter w;
    StrkModel& m = w.Model();
    m.unit = 1;
    m.colorType = 0;
    m.resolution = 72;
    m.pageWidth = kPageWidth;
    m.pageHeight = kPageHeight;
    return w;
}

// A closed curve through `count` points around (cx, cy) whose radius at angle a is radius(a);
// each point's handles lie along the tangent of a circle of that radius, which gives a round
// shape for a constant radius and soft lobes otherwise.
void ClosedCurve(StrkPart& part, double cx, double cy, int count,
                 const std::function<double(double)>& radius, double width) {
    const double step = 2 * std::numbers::pi / count;
    // Handle length of a cubic arc over `step` radians of a unit circle.
    const double k = 4.0 / 3.0 * std::tan(step / 4);
    for (int i = 0; i < count; ++i) {
        const double a = i * step;
        const double r = radius(a);
        const double x = cx + r * std::cos(a);
        const double y = cy + r * std::sin(a);
        const double tx = -std::sin(a) * r * k;
        const double ty = std::cos(a) * r * k;
        part.Point(x, y, width).Handles(x - tx, y - ty, x + tx, y + ty);
    }
}

// An open smooth curve through the points, handles along the neighbours' direction.
void SmoothCurve(StrkPart& part, const std::vector<std::array<double, 3>>& points) {
    for (std::size_t i = 0; i < points.size(); ++i) {
        const auto& p = points[i];
        const auto& prev = points[i == 0 ? 0 : i - 1];
        const auto& next = points[i + 1 == points.size() ? i : i + 1];
        const double tx = (next[0] - prev[0]) / 6;
        const double ty = (next[1] - prev[1]) / 6;
        part.Point(p[0], p[1], p[2]).Handles(p[0] - tx, p[1] - ty, p[0] + tx, p[1] + ty);
    }
}

// 1. A round blob in one colour turns into a five-lobed flower filled with a gradation.
StrkWriter Morph(bool end) {
    StrkWriter w = Page();
    StrkFigure& line = w.Model().Layer(u"shape").Line(u"blob");
    line.Stroke(Mono(end ? Rgb(60, 20, 110) : Rgb(150, 60, 0)));
    if (end) {
        line.Fill(Gradation(
            45, {StrkStop{true, Rgb(40, 120, 255), 0.0}, StrkStop{true, Rgb(200, 60, 220), 1.0}}));
    } else {
        line.Fill(Mono(Rgb(255, 170, 40)));
    }
    ClosedCurve(
        line.Part(true), 160, 120, 10,
        [end](double a) { return end ? 80 + 28 * std::cos(5 * a) : 70.0; }, end ? 5.0 : 3.0);
    return w;
}

// 2. Three brush strokes whose width swells and thins along them; START and END swap where
// the strokes are thick.
StrkWriter Widths(bool end) {
    StrkWriter w = Page();
    StrkFigure& layer = w.Model().Layer(u"strokes");
    const stroke::CColor colours[3] = {Rgb(220, 50, 50), Rgb(40, 150, 70), Rgb(40, 80, 200)};
    for (int s = 0; s < 3; ++s) {
        StrkFigure& line = layer.Line(u"stroke " + std::u16string(1, u'1' + s));
        line.Stroke(Mono(colours[s]));
        std::vector<std::array<double, 3>> points;
        for (int i = 0; i <= 6; ++i) {
            const double t = i / 6.0;
            const double x = 30 + 260 * t;
            const double y =
                60 + 60 * s + 18 * std::sin((t * 2 + s * 0.3 + (end ? 0.5 : 0)) * std::numbers::pi);
            // Thick in the middle at START, at the two ends at END; never zero inside.
            const double swell = std::sin(t * std::numbers::pi);
            const double width = end ? 2 + 20 * (1 - swell) : 2 + 22 * swell;
            points.push_back({x, y, width});
        }
        SmoothCurve(line.Part(false), points);
    }
    return w;
}

// 3. A word on an arched baseline that straightens while its letters spread apart.
StrkWriter CurvedText(bool end) {
    StrkWriter w = Page();
    StrkFigure& text = w.Model().Layer(u"title").Text(u"word", u"Morvane");
    text.textSetting->fontFace = u"DejaVu Sans";
    text.textSetting->fontSize = 40;
    text.textSetting->charSpacing = end ? 1.8 : 1.0;
    text.Fill(Mono(end ? Rgb(200, 40, 90) : Rgb(20, 90, 160)));
    const double rise = end ? 10 : 70;
    SmoothCurve(text.Part(false), {{{30, 170, 1}}, {{160, 170 - rise, 1}}, {{290, 170, 1}}});
    return w;
}

// 4. A row of dots that rise and fall; the phase in each dot's name delays it against its
// neighbour, so the row moves as a wave.
StrkWriter PhasedDots(bool end) {
    StrkWriter w = Page();
    StrkFigure& layer = w.Model().Layer(u"dots");
    constexpr int kDots = 8;
    for (int i = 0; i < kDots; ++i) {
        const double phase = i / static_cast<double>(kDots);
        std::u16string name = u"dot {";
        const std::string number = std::to_string(phase).substr(0, 5);
        name += std::u16string(number.begin(), number.end()) + u"}";
        StrkFigure& dot = layer.Line(name);
        dot.Stroke(Mono(Rgb(30, 30, 30)));
        dot.Fill(Mono(end ? Rgb(250, 200, 30) : Rgb(30, 160, 230)));
        const double x = 34 + i * 36;
        ClosedCurve(
            dot.Part(true), x, end ? 70 : 170, 4, [end](double) { return end ? 16.0 : 11.0; }, 2);
    }
    return w;
}

struct CExample {
    const char* m_name;
    StrkWriter (*m_draw)(bool end);
    std::function<void(mrv::CTaskSetting&)> m_settings;
};

void WriteExample(const fs::path& folder, const CExample& example) {
    const std::string base = (folder / example.m_name).string();
    example.m_draw(false).Save(base + "_start.strk");
    example.m_draw(true).Save(base + "_end.strk");

    mrv::CTaskSetting task;
    task.SetSrcPath0(base + "_start.strk");
    task.SetSrcPath1(base + "_end.strk");
    // Stored relative to the project, so examples/../out: the out/ folder of the source tree.
    task.SetDstFolder((folder.parent_path() / "out").string());
    task.SetDstName(example.m_name);
    task.SetDstFormat(mrv::DstFormat::AGIF);
    task.SetFrameRate(2000);
    task.SetInterFrameCount(11);
    example.m_settings(task);
    CSimpleErr err;
    if (!SaveProject(base + ".mrva", task, err)) {
        throw std::runtime_error(err.m_text);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_examples FOLDER\n";
        return 2;
    }
    const CExample examples[] = {
        {"morph", Morph,
         [](mrv::CTaskSetting& t) {
             t.SetRoundType(mrv::RoundType::Reverse);
             t.SetInterpolateType(mrv::InterpolateType::LineCircle);
         }},
        {"widths", Widths, [](mrv::CTaskSetting& t) { t.SetRoundType(mrv::RoundType::Reverse); }},
        {"curved_text", CurvedText,
         [](mrv::CTaskSetting& t) {
             t.SetRoundType(mrv::RoundType::Reverse);
             t.SetInterpolateType(mrv::InterpolateType::LineCircle);
         }},
        {"phased_dots", PhasedDots,
         [](mrv::CTaskSetting& t) {
             t.SetFlags(t.GetFlags() | mrv::TaskFlags::Phase);
             t.SetRoundType(mrv::RoundType::Reverse);
             t.SetInterpolateType(mrv::InterpolateType::LineCircle);
         }},
    };
    try {
        fs::path folder = fs::absolute(argv[1]).lexically_normal();
        if (folder.filename().empty()) {
            folder = folder.parent_path(); // "examples/" names the same folder as "examples"
        }
        fs::create_directories(folder);
        for (const CExample& example : examples) {
            WriteExample(folder, example);
            std::cout << (folder / example.m_name).string() << ".mrva\n";
        }
    } catch (const std::exception& e) {
        std::cerr << "make_examples: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
