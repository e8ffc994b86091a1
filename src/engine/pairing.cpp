#include "engine/pairing.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "engine/extract_items.h"
#include "engine/normalize_model.h"
#include "platform/color_profile.h"
#include "stroke/serializer.h"
#include "stroke/transform_color.h"

#include <boost/make_shared.hpp>

namespace mrv {

namespace {

// Collects the differences of both walks. The second walk meets the structural differences
// of the first again (the walkers share those checks); they are listed once.
class CDifferenceList : public CDifferenceSink {
public:
    CDifferenceList(std::vector<CPairDifference>& list, std::size_t limit)
        : m_list(list), m_limit(limit) {}

    void SkipStructural() { m_skipStructural = true; }

    void Take(CPairDifference difference) override {
        if (difference.m_structural && m_skipStructural) {
            return;
        }
        if (m_list.size() >= m_limit) {
            // Ends the walk; CheckPairing notes that there are more.
            throw my::CException(IDS_PAIR_CHECK_MORE);
        }
        m_list.push_back(std::move(difference));
    }

private:
    std::vector<CPairDifference>& m_list;
    std::size_t m_limit;
    bool m_skipStructural = false;
};

// Both walks in the order of a run; without a list the first difference is raised, and items
// are made only when asked for.
void Walk(const CTaskSetting& setting, stroke::CModel& start, stroke::CModel& end,
          AnimateItemList* items, CDifferenceList* list) {
    CNormalizeModel normalize;
    normalize.SetSink(list);
    normalize.Walk(start, end);
    if (list != nullptr) {
        list->SkipStructural();
    }
    CExtractItems extract(setting);
    extract.SetSink(list);
    if (items != nullptr) {
        extract.Extract(*items, start, end);
    } else {
        extract.CheckOnly(start, end);
    }
}

} // namespace

void ToWorkingSpace(stroke::CModel& model, const boost::shared_ptr<CColorProfile>& workingSpace) {
    if (model.m_colorType != stroke::COLOR_RGB) {
        return;
    }
    // A model without a profile is drawn in the working space already.
    if (model.m_colorProfile && !model.m_colorProfile->IsSame(*workingSpace)) {
        stroke::CTransformColor::Convert(model, model.m_colorType, model.m_colorProfile,
                                         workingSpace);
    }
    model.m_colorProfile = workingSpace;
}

void PairModels(const CTaskSetting& setting, stroke::CModel& start, stroke::CModel& end,
                AnimateItemList& items) {
    Walk(setting, start, end, &items, nullptr);
}

CPairingCheck CheckPairing(const CTaskSetting& setting, const stroke::ModelPtr& start,
                           const stroke::ModelPtr& end, std::size_t limit) {
    if (!start || !end) {
        throw my::InternalError("mrv::CheckPairing()\nno model");
    }
    CPairingCheck check{start, end, {}, false};
    CDifferenceList list(check.m_differences, limit);
    try {
        Walk(setting, *start, *end, nullptr, &list);
    } catch (const my::CException& e) {
        if (e.m_id != IDS_PAIR_CHECK_MORE) {
            throw;
        }
        check.m_more = true;
    }
    return check;
}

std::string DifferenceSideText(const CPairDifference& difference, bool start) {
    const stroke::CFigure* figure = start ? difference.m_start : difference.m_end;
    std::string position = "(null)";
    std::string name = start ? difference.StartName() : difference.EndName();
    if (figure != nullptr) {
        position = start ? difference.StartPosition() : difference.EndPosition();
        if (position.empty()) {
            position = my::MessageText(IDS_CHECK_ROOT);
        }
        name = "\"" + name + "\"";
    }
    const std::vector<std::string> args{position, name};
    return my::FormatMessage(start ? IDS_CHECK_START_FIGURE : IDS_CHECK_END_FIGURE, args);
}

std::string CheckCountText(const CPairingCheck& check) {
    const std::size_t count = check.m_differences.size();
    const std::vector<std::string> args{std::to_string(count)};
    if (check.m_more) {
        return my::FormatMessage(IDS_CHECK_MANY_MORE, args);
    }
    if (count == 0) {
        return my::FormatMessage(IDS_CHECK_NONE);
    }
    return count == 1 ? my::FormatMessage(IDS_CHECK_ONE) : my::FormatMessage(IDS_CHECK_MANY, args);
}

CPairingCheck CheckPairingOf(const CTaskSetting& setting, const CTerminable* terminator,
                             std::size_t limit) {
    const auto checkStop = [terminator] {
        if (terminator != nullptr && terminator->IsTerminating()) {
            throw my::CException(IDS_TASK_INTERRUPTED);
        }
    };
    const stroke::ModelPtr start = stroke::CSerializer::ReadModel(setting.GetSrcPath0());
    checkStop();
    const stroke::ModelPtr end = stroke::CSerializer::ReadModel(setting.GetSrcPath1());
    checkStop();
    const auto workingSpace = boost::make_shared<CColorProfile>();
    ToWorkingSpace(*start, workingSpace);
    ToWorkingSpace(*end, workingSpace);
    return CheckPairing(setting, start, end, limit);
}

} // namespace mrv
