#include "engine/extract_items.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "common/text.h"
#include "engine/phase_name.h"
#include "stroke/gradation.h"
#include "stroke/texture.h"

#include <boost/make_shared.hpp>
#include <charconv>

namespace mrv {

namespace {

// Shortest text that reads back as the same double.
std::string NumberText(double value) {
    char buffer[32];
    const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, ptr) : std::string("?");
}

std::string ClosedText(bool closed) {
    return closed ? "true" : "false";
}

bool ProfilesEqual(const boost::shared_ptr<CColorProfile>& a,
                   const boost::shared_ptr<CColorProfile>& b) {
    if (!a || !b) {
        return !a && !b;
    }
    return a == b || a->IsSame(*b);
}

} // namespace

CExtractItems::CExtractItems(const CTaskSetting& setting)
    : m_flags(setting.GetFlags()), m_openBrace(my::ToUtf16(setting.GetPhaseBraces().first)),
      m_closeBrace(my::ToUtf16(setting.GetPhaseBraces().second)) {}

void CExtractItems::Extract(AnimateItemList& items, stroke::CModel& start, stroke::CModel& end) {
    Run(&items, start, end);
}

void CExtractItems::CheckOnly(stroke::CModel& start, stroke::CModel& end) {
    Run(nullptr, start, end);
}

void CExtractItems::Run(AnimateItemList* items, stroke::CModel& start, stroke::CModel& end) {
    m_phases.assign(1, 0.0);
    m_items = items;
    Walk(start, end);
    m_items = nullptr;
}

void CExtractItems::VisitModel(stroke::CModel& start, stroke::CModel& end) {
    if (start.m_colorType != end.m_colorType) {
        Report(&start, &end, false, [&] {
            return my::CException(IDS_PAIR_COLOR_SPACE,
                                  std::string(stroke::ColorTypeName(start.m_colorType)),
                                  std::string(stroke::ColorTypeName(end.m_colorType)));
        });
    } else if (start.m_colorType != stroke::COLOR_RGB) {
        Report(&start, &end, false, [] { return my::CException(IDS_PAIR_CMYK_UNSUPPORTED); });
    }
    if (!ProfilesEqual(start.m_colorProfile, end.m_colorProfile)) {
        Report(&start, &end, false, [] { return my::CException(IDS_PAIR_PROFILE); });
    }
    if (start.m_width != end.m_width) {
        Report(&start, &end, false, [&] {
            return my::CException(IDS_PAIR_WIDTH, NumberText(start.m_width),
                                  NumberText(end.m_width));
        });
    }
    if (start.m_height != end.m_height) {
        Report(&start, &end, false, [&] {
            return my::CException(IDS_PAIR_HEIGHT, NumberText(start.m_height),
                                  NumberText(end.m_height));
        });
    }
    VisitChildren(start, end);
}

void CExtractItems::VisitLayer(stroke::CLayer& start, stroke::CLayer& end) {
    if (AnyFillDiffers(start, end)) {
        AddItem(start, end);
    }
    WithPhaseOf(start, end, [&] { VisitChildren(start, end); });
}

void CExtractItems::CheckStrokeStyle(const stroke::CPartHolder& start,
                                     const stroke::CPartHolder& end, std::uint32_t capMessage,
                                     std::uint32_t joinMessage) const {
    if (start.m_lineCap != end.m_lineCap) {
        Report(&start, &end, false, [&] {
            return my::CException(capMessage, stroke::FormatLineCap(start.m_lineCap),
                                  stroke::FormatLineCap(end.m_lineCap), start.m_name, end.m_name,
                                  PositionText());
        });
    }
    if (start.m_lineJoin != end.m_lineJoin) {
        Report(&start, &end, false, [&] {
            return my::CException(joinMessage, stroke::FormatLineJoin(start.m_lineJoin),
                                  stroke::FormatLineJoin(end.m_lineJoin), start.m_name, end.m_name,
                                  PositionText());
        });
    }
}

void CExtractItems::VisitLine(stroke::CLine& start, stroke::CLine& end) {
    const bool fillDiffers = AnyFillDiffers(start, end);
    CheckStrokeStyle(start, end, IDS_PAIR_LINE_CAP, IDS_PAIR_LINE_JOIN);
    if (fillDiffers) {
        AddItem(start, end);
    }
    WithPhaseOf(start, end, [&] { VisitParts(start, end); });
}

void CExtractItems::VisitLinePart(stroke::CLinePart& start, stroke::CLinePart& end) {
    if (start.IsClosed() != end.IsClosed()) {
        Report(&start, &end, false, [&] {
            return my::CException(IDS_PAIR_CLOSED, ClosedText(start.IsClosed()),
                                  ClosedText(end.IsClosed()), FigureNameText(&start),
                                  FigureNameText(&end), PositionText());
        });
    }
    VisitPoints(start, end);
}

void CExtractItems::VisitLinePoint(stroke::CLinePoint& start, stroke::CLinePoint& end) {
    if (start.x != end.x || start.y != end.y || start.m_width != end.m_width) {
        AddItem(start, end);
    }
    VisitTangents(start, end);
}

void CExtractItems::VisitTangentPoint(stroke::CTangentPoint& start, stroke::CTangentPoint& end) {
    if (start.x != end.x || start.y != end.y) {
        AddItem(start, end);
    }
}

void CExtractItems::VisitText(stroke::CText& start, stroke::CText& end) {
    if (start.m_text != end.m_text) {
        Report(&start, &end, false, [&] {
            return my::CException(IDS_PAIR_TEXT_STRING, start.m_text, end.m_text, start.m_name,
                                  end.m_name, PositionText());
        });
    }
    CheckStrokeStyle(start, end, IDS_PAIR_TEXT_CAP, IDS_PAIR_TEXT_JOIN);
    // Both fills are compared even when the setting already differs: a fill that cannot be
    // paired must be reported.
    const bool fillDiffers = AnyFillDiffers(start, end);
    if (fillDiffers || !stroke::TextSettingsEqual(start.m_textSetting, end.m_textSetting) ||
        start.m_width != end.m_width) {
        AddItem(start, end);
    }
    VisitParts(start, end);
}

bool CExtractItems::AnyFillDiffers(const stroke::CFigure& start, const stroke::CFigure& end) const {
    const bool line =
        FillsDiffer(FillSide::Line, start.GetLineFill(), end.GetLineFill(), start, end);
    const bool area =
        FillsDiffer(FillSide::Area, start.GetAreaFill(), end.GetAreaFill(), start, end);
    return line || area;
}

bool CExtractItems::FillsDiffer(FillSide side, const stroke::FillPtr& start,
                                const stroke::FillPtr& end, const stroke::CFigure& startFigure,
                                const stroke::CFigure& endFigure) const {
    // The fill messages: the fill's label, the values that differ, then the figure's kind,
    // both names and the position.
    const auto report = [&](std::uint32_t id, std::vector<std::string> values) {
        Report(&startFigure, &endFigure, false, [&] {
            std::vector<std::string> args{std::string(
                my::MessageText(side == FillSide::Line ? IDS_FILL_LABEL_LINE : IDS_FILL_LABEL,
                                my::Language::Japanese))};
            args.insert(args.end(), values.begin(), values.end());
            args.insert(args.end(), {FigureKindLabel(&startFigure), FigureNameText(&startFigure),
                                     FigureNameText(&endFigure), PositionText()});
            return my::CException(id, std::move(args));
        });
    };
    if (!start && !end) {
        return false;
    }
    if (!start || !end) {
        report(IDS_PAIR_FILL_PRESENCE, {});
        return false;
    }
    const auto* startMono = dynamic_cast<const stroke::CMonoSetting*>(start.get());
    const auto* endMono = dynamic_cast<const stroke::CMonoSetting*>(end.get());
    const auto* startGrad = dynamic_cast<const stroke::CGradationSetting*>(start.get());
    const auto* endGrad = dynamic_cast<const stroke::CGradationSetting*>(end.get());
    const auto* startTex = dynamic_cast<const stroke::CTextureSetting*>(start.get());
    const auto* endTex = dynamic_cast<const stroke::CTextureSetting*>(end.get());
    if ((!startMono && !startGrad && !startTex) || (!endMono && !endGrad && !endTex)) {
        report(IDS_PAIR_FILL_UNKNOWN, {});
        return false;
    }
    if (startTex && endTex) {
        if (startTex->m_path != endTex->m_path) {
            report(IDS_PAIR_TEXTURE_IMAGE,
                   {my::ToUtf8(startTex->m_path), my::ToUtf8(endTex->m_path)});
        }
        if (startTex->m_fitType != endTex->m_fitType) {
            report(IDS_PAIR_TEXTURE_FIT,
                   {std::to_string(startTex->m_fitType), std::to_string(endTex->m_fitType)});
        }
        if (startTex->m_flip != endTex->m_flip) {
            report(IDS_PAIR_TEXTURE_FLIP,
                   {std::to_string(startTex->m_flip), std::to_string(endTex->m_flip)});
        }
        return !startTex->IsEqual(*endTex);
    }
    if (startTex || endTex) {
        report(IDS_PAIR_FILL_KIND, {});
        return false;
    }
    if (startMono && endMono) {
        return startMono->m_color != endMono->m_color;
    }
    if (startGrad && endGrad) {
        return start != end && !startGrad->IsEqual(*endGrad);
    }
    // One colour against a gradation: allowed, the frames turn the colour into a gradation.
    return true;
}

void CExtractItems::AddItem(stroke::CFigure& start, stroke::CFigure& end) {
    if (m_items == nullptr) {
        return;
    }
    auto item = boost::make_shared<CAnimateItem>();
    item->m_start = &start;
    item->m_end = &end;
    item->m_path = boost::make_shared<const TreePath>(Path());
    item->m_phase = m_phases.back();
    m_items->push_back(std::move(item));
}

std::optional<double> CExtractItems::PhaseOf(const stroke::CFigure& start,
                                             const stroke::CFigure& end) const {
    if ((m_flags & TaskFlags::Phase) == 0) {
        return std::nullopt;
    }
    try {
        return ParsePhase(start.GetName(), m_openBrace, m_closeBrace);
    } catch (const my::CException& e) {
        // A check goes on as if the name gave no phase.
        Report(&start, &end, false, [&] { return e; });
        return std::nullopt;
    }
}

void CExtractItems::WithPhaseOf(const stroke::CFigure& start, const stroke::CFigure& end,
                                const std::function<void()>& walk) {
    const std::optional<double> phase = PhaseOf(start, end);
    if (phase) {
        m_phases.push_back(*phase);
    }
    walk();
    if (phase) {
        m_phases.pop_back();
    }
}

} // namespace mrv
