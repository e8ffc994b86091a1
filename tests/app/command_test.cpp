#include "app/command.h"
#include "app_fixture.h"
#include "common/message_ids.h"

#include <boost/regex.hpp>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

class CThrowingCommand : public CCommand {
public:
    CThrowingCommand(CMsg* msg, std::function<void()> body) : CCommand(msg), m_body(body) {}
    int m_runs = 0;
    bool m_performed = false;

protected:
    void DoExecute(bool perform) override {
        ++m_runs;
        m_performed = perform;
        m_body();
    }

private:
    std::function<void()> m_body;
};

CSimpleErr Caught(std::function<void()> body) {
    morvane::test::CRecordingMsg msg;
    CThrowingCommand command(&msg, std::move(body));
    EXPECT_FALSE(command.Execute(true, false));
    EXPECT_EQ(msg.m_errors.size(), 1u);
    return msg.m_errors.empty() ? CSimpleErr{} : msg.m_errors[0];
}

TEST(CommandBarrier, MapsEveryKindOfFailureToOneRecord) {
    EXPECT_EQ(Caught([] { throw my::CException(IDS_WIDTH_INVALID); }).m_id, IDS_WIDTH_INVALID);
    EXPECT_EQ(Caught([] { throw my::CCtrlException(my::CException(IDS_HEIGHT_INVALID), 7); }).m_id,
              IDS_HEIGHT_INVALID);
    EXPECT_EQ(Caught([] { boost::regex("(a"); }).m_id, IDS_REGEX_UNMATCHED_PAREN);
    EXPECT_EQ(Caught([] { boost::regex("a{2,1}"); }).m_id, IDS_REGEX_BAD_BRACE_RANGE);
    const CSimpleErr other =
        Caught([] { throw boost::regex_error(boost::regex_constants::error_size); });
    EXPECT_EQ(other.m_id, IDS_REGEX_ERROR);
    const CSimpleErr std = Caught([] { throw std::runtime_error("disk on fire"); });
    EXPECT_EQ(std.m_id, IDS_STD_EXCEPTION);
    EXPECT_NE(std.m_text.find("disk on fire"), std::string::npos);
    EXPECT_EQ(Caught([] { throw 42; }).m_id, IDS_UNKNOWN_EXCEPTION);
}

TEST(CommandBarrier, ExecuteVariants) {
    morvane::test::CRecordingMsg msg;
    CThrowingCommand failing(&msg, [] { throw my::CException(IDS_WIDTH_INVALID); });
    EXPECT_THROW(failing.Execute(true, true), my::CCtrlException);
    EXPECT_EQ(msg.m_errors.size(), 1u);
    EXPECT_FALSE(failing.Execute()); // silent
    EXPECT_FALSE(failing.CanExecute());
    EXPECT_FALSE(failing.m_performed);
    EXPECT_EQ(msg.m_errors.size(), 1u);

    CThrowingCommand fine(&msg, [] {});
    EXPECT_TRUE(fine.Execute(true, false));
    EXPECT_TRUE(fine.m_performed);
    EXPECT_TRUE(fine.CanExecute());
    EXPECT_EQ(msg.m_errors.size(), 1u);
}

} // namespace
