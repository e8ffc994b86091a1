#include "cli/frame_export.h"

#include "common/message_ids.h"
#include "common/messages.h"
#include "engine/frame_source.h"
#include "output/codec_saver.h"
#include "output/output_file.h"

#include <ostream>
#include <vector>

namespace cli {

namespace {

// A frame number the run does not have; raised as a usage error of the command.
struct CNoSuchFrame {
    std::string m_text;
};

void WriteFrame(const mrv::CTaskSetting& task, int frame, const std::string& path,
                const CTerminable& terminator) {
    const auto checkStop = [&terminator] {
        if (terminator.IsTerminating()) {
            throw my::CException(IDS_TASK_INTERRUPTED);
        }
    };
    mrv::CFrameSource source(task, checkStop);
    const std::size_t count = source.OutputFrameCount();
    if (static_cast<std::size_t>(frame) > count) {
        throw CNoSuchFrame{my::FormatMessage(
            IDS_FRAME_OUT_OF_RANGE, std::vector{std::to_string(frame), std::to_string(count)})};
    }
    source.Prepare(&terminator);
    const mrv::InterpolatorPtr interpolator = source.NewInterpolator();
    const mrv::CImgPtr image = source.RenderOutput(std::size_t(frame - 1), *interpolator);
    checkStop();
    // The same encoder and options as a frame of the PNG sequence.
    codec::CImgSaver encoder(codec::Container::Png, codec::TargetFormat::Own, 0);
    std::vector<std::uint8_t> bytes;
    encoder.EncodePngFile(*image, bytes);
    codec::COutputFile file(path);
    if (!file.Write(bytes) || !file.Commit()) {
        throw file.Failure();
    }
}

} // namespace

int ExportFrame(const mrv::CTaskSetting& task, int frame, const std::string& path, bool quiet,
                CConsole& console, const CTerminable& terminator) {
    try {
        WriteFrame(task, frame, path, terminator);
    } catch (const CNoSuchFrame& e) {
        console.m_err << e.m_text << "\n";
        return kExitUsage;
    } catch (const my::CException& e) {
        console.m_err << e.m_text << "\n";
        return e.m_id == IDS_TASK_INTERRUPTED && terminator.IsTerminating() ? kExitInterrupted
                                                                            : kExitFailed;
    }
    if (!quiet) {
        console.m_out << path << "\n" << std::flush;
    }
    return kExitOk;
}

} // namespace cli
