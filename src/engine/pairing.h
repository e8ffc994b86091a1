// Pairing of START and END as a whole: the two walks in the order a run makes them. A run stops
// at the first difference with its message; a check walks on and lists every difference, so
// that a drawing can be mended in one go.
#pragma once

#include "common/terminable.h"
#include "engine/animate_item.h"
#include "engine/pair_enumerator.h"
#include "engine/task_setting.h"
#include "stroke/layer_model.h"

#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <string>
#include <vector>

class CColorProfile;

namespace mrv {

// Most differences a check lists; past them it only says that there are more.
constexpr std::size_t kMaxPairDifferences = 200;

// Brings an RGB model into the working RGB space, so that both models of a run share one
// profile. CMYK models are left as they are (pairing names them unsupported).
void ToWorkingSpace(stroke::CModel& model, const boost::shared_ptr<CColorProfile>& workingSpace);

// Proves that START and END pair and appends their animate items to items: CNormalizeModel
// (structure; END's state bits follow START's), then CExtractItems (values). Raises the first
// difference met.
void PairModels(const CTaskSetting& setting, stroke::CModel& start, stroke::CModel& end,
                AnimateItemList& items);

// Every difference of a pair, with the models its figures belong to.
struct CPairingCheck {
    stroke::ModelPtr m_start;
    stroke::ModelPtr m_end;
    // Differences of structure first, then differences of values, each in tree order: the
    // order in which a run meets them, so the first is the message a run stops with.
    std::vector<CPairDifference> m_differences;
    // The list reached its limit and more differences were left out.
    bool m_more = false;

    bool Animates() const { return m_differences.empty() && !m_more; }
};

// Walks the pair as PairModels does, on past every difference, sharing its checks: a
// difference of structure (a missing figure, a kind, a class or a count) is listed once and
// nothing below it is compared. Stops after `limit` differences. Afterwards END's state bits
// follow START's, as after a run's pairing.
CPairingCheck CheckPairing(const CTaskSetting& setting, const stroke::ModelPtr& start,
                           const stroke::ModelPtr& end, std::size_t limit = kMaxPairDifferences);

// The line that names one side of a difference for people: position (words for the root and a
// missing figure) and quoted name, after "START:" or "END:".
std::string DifferenceSideText(const CPairDifference& difference, bool start);
// The line that ends a check's list: how many differences, and whether the pair animates.
std::string CheckCountText(const CPairingCheck& check);

// Reads SrcPath0 and SrcPath1 of the setting as a run does (stroke reader, working colour
// space) and checks the pair. A file that cannot be read raises its message; when terminator
// asks to stop between the steps, "処理が中断されました" is raised.
CPairingCheck CheckPairingOf(const CTaskSetting& setting, const CTerminable* terminator = nullptr,
                             std::size_t limit = kMaxPairDifferences);

} // namespace mrv
