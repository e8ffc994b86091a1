// mrv::CImgSaver: the common part of the savers that write the rendered frames of a run.
// It names the output files, expands a round-trip frame list, computes delays and changed
// regions, and takes the output frames one at a time: encoded on any thread, appended in order
// to files under temporary names, which are renamed into place only when the run completes.
#pragma once

#include "common/error.h"
#include "common/terminable.h"
#include "platform/img.h"

#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace io {
class CReplaceFile;
}

namespace codec {
class CImgSaver;
using COutputFile = io::CReplaceFile;
} // namespace codec

namespace mrv {

using CImgPtr = boost::shared_ptr<const CImg>;

// What the generation task hands over: the rendered frames (same size and pixel type) and
// whether they are only the forward half of a return trip that goes back the same way.
struct CFrameList {
    std::vector<CImgPtr> m_images;
    bool m_roundTrip = false;
};

// The animation as a whole: size of the first frame, output frame count, repetitions.
struct CAnimationHeader {
    std::uint32_t m_width = 0;
    std::uint32_t m_height = 0;
    std::uint32_t m_frameCount = 0;
    std::int32_t m_loopCount = 0; // 0 = endless
};

enum FrameDisposal : std::uint32_t {
    DISPOSAL_UNSPECIFIED = 0,
    DISPOSAL_KEEP = 1,
    DISPOSAL_BACKGROUND = 2, // restore to background
    DISPOSAL_PREVIOUS = 3,   // restore to previous
};

// One written frame: its rectangle in pixels of the full image, delay and disposal.
struct CFrameRecord {
    std::int32_t m_left = 0;
    std::int32_t m_top = 0;
    std::int32_t m_right = 0;
    std::int32_t m_bottom = 0;
    std::uint32_t m_delay = 0; // hundredths of a second
    std::uint32_t m_disposal = DISPOSAL_UNSPECIFIED;

    std::int32_t Width() const { return m_right - m_left; }
    std::int32_t Height() const { return m_bottom - m_top; }
    friend bool operator==(const CFrameRecord&, const CFrameRecord&) = default;
};

// An output frame on its way into the file: its record and the bytes its format's encoder made
// of it (a whole file for a sequence, the frame's part of the file for an animation).
struct CEncodedFrame {
    std::uint32_t m_index = 0;
    CFrameRecord m_record;
    std::vector<std::uint8_t> m_bytes;
};

// A run frame by frame:
//   Begin (with the first rendered frame) -> for every output frame j in order: Encode (on any
//   thread, with an encoder of that thread) and Append (on one thread, in order) -> Finish.
// Until Finish has renamed them, the files exist only under hidden temporary names in the
// output folder; Discard, a failure or destroying the saver removes them, so a run that does
// not complete leaves the folder as it was.
//
// CanTerminate comes from CCanTerminate: Save asks the terminator before each frame.
class CImgSaver : public CCanTerminate {
public:
    CImgSaver();
    ~CImgSaver() override;
    CImgSaver(const CImgSaver&) = delete;
    CImgSaver& operator=(const CImgSaver&) = delete;

    // True for APNG, animated GIF and animated WebP: one output file holding all frames.
    virtual bool IsAnimated() const = 0;
    // Whether the saver writes several frames into one file (the same answer as IsAnimated).
    virtual bool HoldsFrames() const { return IsAnimated(); }
    // Whether changed-region frames can be used (the same answer as IsAnimated).
    virtual bool SupportsFrameRegions() const { return IsAnimated(); }
    // The output format number: 0 PNG, 1 APNG, 2 GIF, 3 animated GIF, 4 animated WebP.
    virtual std::int32_t GetFormat() const = 0;
    // "png", "gif" or "webp".
    virtual std::string GetExtension() const = 0;
    // DstName, the zero-padded number StartNo + index (sequences only), ".", the extension.
    virtual std::string GetFileName(std::int32_t index) const;
    // DstFolder joined with GetFileName(index); "/" is added unless the folder is empty or
    // already ends in "/", "\" or ":".
    virtual std::string GetFilePath(std::int32_t index) const;
    // Appends every path a run with interFrameCount in-between frames will write.
    virtual void ListFilePaths(std::vector<std::string>& paths, std::int32_t interFrameCount) const;
    // Writes the whole list through the calls below on this thread. False when the terminator
    // stopped the run (nothing is left behind); the caller then takes its cancellation path.
    // Failures raise my::CException.
    [[nodiscard]] virtual bool Save(const CFrameList& frames);

    // Starts a run of `rendered` frames (the task's list; roundTrip as CFrameList's flag) whose
    // first is `first`, and returns the number of output frames. What an animation holds for
    // all its frames (alpha channel, transparent palette entry) is chosen from `first`, or set
    // outright with `translucent`. An animated saver creates its file here.
    std::uint32_t Begin(std::size_t rendered, bool roundTrip, const CImg& first,
                        bool translucent = false);
    std::uint32_t FrameCount() const { return m_header.m_frameCount; }
    // Index into the rendered list of output frame j.
    std::size_t SourceIndex(std::uint32_t j) const;
    // Whether output frames after the first are cut to their changed regions; Encode then needs
    // the uncropped output frame before.
    bool CutsRegions() const { return m_cutRegions; }
    // False when a frame needs what Begin did not choose from the first frame (a translucent
    // pixel after an opaque first frame); the run must then start again with Begin(...,
    // translucent = true), which every frame fits.
    virtual bool Admits(const CImg& frame) const;
    // A fresh encoder for one thread, set up for the run begun last.
    virtual std::unique_ptr<codec::CImgSaver> MakeEncoder() const = 0;
    // Output frame j (uncropped; previous is the uncropped output frame j - 1, needed when
    // CutsRegions) turned into what Append takes. May run on several threads at once, each with
    // its own encoder; reads only what Begin fixed. A format that chooses its frame rectangles
    // itself replaces it.
    virtual void Encode(std::uint32_t j, const CImg* previous, const CImgPtr& frame,
                        codec::CImgSaver& encoder, CEncodedFrame& out) const;
    // Writes an encoded frame; frames must come in order 0, 1, ..., FrameCount() - 1.
    void Append(const CEncodedFrame& frame);
    // Completes the files and renames them into place (an existing file is replaced).
    void Finish();
    // Drops the run: every file it has written so far is removed.
    void Discard() noexcept;

    // Settings, copied from the task settings by the saver factory.
    std::string m_dstFolder;
    std::string m_dstName;
    bool m_mirrorReturn = false; // the task's return trip is set
    std::int32_t m_startNo = 0;
    std::int32_t m_digits = 1;
    std::int32_t m_frameRate = 1000; // hundredths of a frame per second
    std::int32_t m_loopCount = 0;    // 0 = endless
    bool m_regionFrames = false;     // changed-region frames (AutoTrimFrames)

protected:
    // Called by Begin once the header is known: choose what depends on the first frame and,
    // for an animation, start its file (CreateFile, WriteFile).
    virtual void Start(const CImg& first, bool translucent) = 0;
    // Whether this run cuts later frames to their changed regions (asked after Start).
    virtual bool UsesFrameRegions() const;
    // The disposal written with every frame (asked after Start).
    virtual std::uint32_t Disposal() const { return DISPOSAL_UNSPECIFIED; }
    // The bytes of one output frame: img is the frame as written (cut to record's rectangle).
    virtual void EncodeImage(const CImg& img, const CFrameRecord& record, std::uint32_t index,
                             codec::CImgSaver& encoder, std::vector<std::uint8_t>& out) const = 0;
    // Writes an encoded frame; sequences give each frame a file of its own.
    virtual void AppendFrame(const CEncodedFrame& frame);
    // The last bytes of an animation's file, before it is renamed into place.
    virtual void End() {}
    // The animation's one file, created under a temporary name; a failed write raises the
    // file's failure (IDS_FILE_SAVE_FAILED: its path and the system's reason).
    void CreateFile();
    void WriteFile(const std::vector<std::uint8_t>& bytes);
    // The tail of every Save: runs `run` (Begin and the frames; false when the terminator
    // stopped it), then Finish. A stop or a failure discards the run, so nothing is left behind.
    [[nodiscard]] bool SaveRun(const std::function<bool()>& run);
    // Raises IDS_IMAGE_FORMAT_UNSUPPORTED unless every frame has the first one's pixel type and
    // size (images is not empty).
    static void CheckSameFormat(const std::vector<CImgPtr>& images);

    // The run begun last.
    CAnimationHeader m_header;
    std::uint32_t m_delay = 0;

private:
    std::size_t m_rendered = 0;
    bool m_mirrored = false;
    bool m_cutRegions = false;
    bool m_begun = false;
    std::uint32_t m_appended = 0;
    std::unique_ptr<codec::COutputFile> m_file;               // animations
    std::vector<std::unique_ptr<codec::COutputFile>> m_files; // sequences, closed
};

// Index into a list of count frames of output frame j (count > 0): frames play forward, then,
// when mirrored and count > 2, back without repeating the turning frames.
std::size_t SourceFrameIndex(std::size_t j, std::size_t count, bool mirrored);

// Delay of every frame in hundredths of a second for a frame rate in hundredths of a frame per
// second (at least 1): 10000 / frameRate, at most 65535.
std::uint32_t FrameDelay(std::int32_t frameRate);

} // namespace mrv
