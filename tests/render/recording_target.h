// A drawing target that writes down every call it receives, one short line per call, for tests
// of what the walk hands to a target (which paint calls, in which order, with which pen).
#pragma once

#include "render/vector_renderer.h"

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace render_test {

class CRecordingTarget : public CVectorRenderer {
public:
    std::vector<std::string> m_calls;
    std::vector<CGradationStop> m_fillStops;
    CTextureParam m_fillTexture;
    CTextureParam m_strokeTexture;
    CTransform m_transform;

    // The calls that are one of the given names, in order.
    std::vector<std::string> Only(std::initializer_list<std::string> names) const {
        std::vector<std::string> out;
        for (const std::string& call : m_calls) {
            const std::string name = call.substr(0, call.find(' '));
            if (std::find(names.begin(), names.end(), name) != names.end()) {
                out.push_back(call);
            }
        }
        return out;
    }
    int Count(const std::string& name) const {
        return static_cast<int>(std::count_if(m_calls.begin(), m_calls.end(), [&](auto& c) {
            return c.substr(0, c.find(' ')) == name;
        }));
    }

    void SetBackgroundRgb(double r, double g, double b, double a) override {
        Log("SetBackgroundRgb", {r, g, b, a});
    }
    void SetBackgroundCmyk(double c, double m, double y, double k, double a) override {
        Log("SetBackgroundCmyk", {c, m, y, k, a});
    }
    void BeginDocument(const std::u16string&) override { Log("BeginDocument", {}); }
    void BeginPage(double w, double h) override { Log("BeginPage", {w, h}); }
    void BeginGroup(const std::u16string&) override { Log("BeginGroup", {}); }
    void SetLabel(const std::u16string&) override { Log("SetLabel", {}); }
    void SetTransform(const CTransform& t) override {
        m_transform = t;
        Log("SetTransform", {t.m_11, t.m_12, t.m_21, t.m_22, t.m_dx, t.m_dy, t.m_widthScale});
    }
    void SetLineJoin(std::int32_t j) override { Log("SetLineJoin", {double(j)}); }
    void SetLineCap(std::int32_t c) override { Log("SetLineCap", {double(c)}); }
    double GetLineWidth() const override { return 0.0; }
    void SetLineWidth(double w) override { Log("SetLineWidth", {w}); }
    void SetStrokeRgb(double r, double g, double b) override { Log("SetStrokeRgb", {r, g, b}); }
    void SetStrokeColorRef(std::uint32_t) override { Log("SetStrokeColorRef", {}); }
    void SetStrokeCmyk(double c, double m, double y, double k) override {
        Log("SetStrokeCmyk", {c, m, y, k});
    }
    void SetFillRgb(double r, double g, double b) override { Log("SetFillRgb", {r, g, b}); }
    void SetFillColorRef(std::uint32_t) override { Log("SetFillColorRef", {}); }
    void SetFillCmyk(double c, double m, double y, double k) override {
        Log("SetFillCmyk", {c, m, y, k});
    }
    void SetStrokeAlpha(double a) override { Log("SetStrokeAlpha", {a}); }
    void SetFillAlpha(double a) override { Log("SetFillAlpha", {a}); }
    void SetStrokeGradation(const CGradationStop*, std::size_t n, double angle) override {
        Log("SetStrokeGradation", {double(n), angle});
    }
    void SetFillGradation(const CGradationStop* stops, std::size_t n, double angle) override {
        m_fillStops.assign(stops, stops + n);
        Log("SetFillGradation", {double(n), angle});
    }
    void SetStrokeTexture(const CTextureParam& t) override {
        m_strokeTexture = t;
        Log("SetStrokeTexture", {t.m_image ? 1.0 : 0.0});
    }
    void SetFillTexture(const CTextureParam& t) override {
        m_fillTexture = t;
        Log("SetFillTexture", {t.m_image ? 1.0 : 0.0});
    }
    void NewPath() override { Log("NewPath", {}); }
    void MoveTo(double x, double y) override { Log("MoveTo", {x, y}); }
    void LineTo(double x, double y) override { Log("LineTo", {x, y}); }
    void CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) override {
        Log("CurveTo", {x1, y1, x2, y2, x3, y3});
    }
    void ClosePath() override { Log("ClosePath", {}); }
    void Fill() override { Log("Fill", {}); }
    void Stroke() override { Log("Stroke", {}); }
    void FillStroke() override { Log("FillStroke", {}); }
    void EndGroup() override { Log("EndGroup", {}); }
    void EndDocument() override { Log("EndDocument", {}); }
    void EndPage() override { Log("EndPage", {}); }
    void AddSquare(double, double, double) override { Log("AddSquare", {}); }
    void AddRect(double, double, double, double) override { Log("AddRect", {}); }
    void AddCircle(double, double, double) override { Log("AddCircle", {}); }
    void AddEllipse(double, double, double, double) override { Log("AddEllipse", {}); }
    void Paint(bool f, bool s) override { Log("Paint", {double(f), double(s)}); }

private:
    void Log(const char* name, std::initializer_list<double> args) {
        std::ostringstream out;
        out << name;
        for (double a : args) {
            out << ' ' << a;
        }
        m_calls.push_back(out.str());
    }
};

} // namespace render_test
