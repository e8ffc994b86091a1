// mrv::CWebpSaver: all output frames in one animated WebP, lossless or lossy, with the loop
// count, a duration per frame that adds up to the play time of our GIF and APNG, and the ICC
// profile of RGB frames that carry one. WebP has no field for the resolution (only EXIF or XMP
// metadata could hold it), so it is not written.
#pragma once

#include "output/img_saver.h"

namespace codec {
class CWebpAnimation;
}

namespace mrv {

// Milliseconds a WebP frame is shown for a frame rate in hundredths of a frame per second: ten
// times the delay of our GIF frames, so that the animation plays as long.
std::uint32_t WebpFrameDuration(std::int32_t frameRate);

// With the changed-region option, each frame after the first is the rectangle that changed
// since the frame before (its offsets made even, as WebP stores them), drawn over the canvas
// when its changed pixels are opaque; the saver chooses those rectangles itself from the whole
// frames, so Encode replaces the framework's cutting. An encoded frame's record holds its
// rectangle, and DISPOSAL_KEEP when it is drawn over the canvas. The frames are independent
// of one another until Append, so any number of threads may encode them; the file is the same
// for every thread count.
class CWebpSaver : public CImgSaver {
public:
    CWebpSaver();
    ~CWebpSaver() override;

    bool IsAnimated() const override { return true; }
    std::int32_t GetFormat() const override { return 4; }
    std::string GetExtension() const override { return "webp"; }
    // Encodes the frames on up to m_threads threads, then writes them in order.
    bool Save(const CFrameList& frames) override;
    // libwebp keeps nothing from frame to frame: the encoder is not used.
    std::unique_ptr<codec::CImgSaver> MakeEncoder() const override;
    // A stop asked while the frame is encoded raises IDS_TASK_INTERRUPTED, as the task does.
    void Encode(std::uint32_t j, const CImg* previous, const CImgPtr& frame,
                codec::CImgSaver& encoder, CEncodedFrame& out) const override;

    // WebpQuality: 100 lossless, 0 to 99 lossy with that quality.
    std::int32_t m_quality = 100;
    // Threads Save encodes frames on; 0 takes every hardware thread.
    int m_threads = 0;

protected:
    void Start(const CImg& first, bool translucent) override;
    // Never called: Encode makes the frames.
    void EncodeImage(const CImg& img, const CFrameRecord& record, std::uint32_t index,
                     codec::CImgSaver& encoder, std::vector<std::uint8_t>& out) const override;
    void AppendFrame(const CEncodedFrame& frame) override;
    void End() override;

private:
    // Encode without the stop: false when the terminator asked to stop during the frame.
    bool EncodeFrame(std::uint32_t j, const CImg* previous, const CImg& frame,
                     CEncodedFrame& out) const;

    std::unique_ptr<codec::CWebpAnimation> m_animation;
};

} // namespace mrv
