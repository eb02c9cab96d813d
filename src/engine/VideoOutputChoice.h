#pragma once

#include <QByteArray>

namespace quarn {

// Which of mpv's video outputs the player uses, chosen once per run. The GPU
// renderer is offered only where the display has hardware graphics: elsewhere
// mpv would load a software GL driver just to refuse it. Once an output has
// worked, every later file uses that one alone, so mpv never probes again
// (its probing of outputs that cannot work is neither cheap nor harmless).
class VideoOutputChoice {
public:
    explicit VideoOutputChoice(bool hardwareGraphics);

    // The value of mpv's "vo" option: the outputs to try, in order.
    QByteArray Outputs() const { return outputs_; }
    bool Pinned() const { return pinned_; }
    // The value of mpv's "hwdec" option: decoding on the graphics chip where
    // there is one to use, else none tried (probing for it costs the start).
    QByteArray HardwareDecoding() const { return hardwareDecoding_; }

    // mpv took this output (its "current-vo"); later files use it alone. The
    // first output taken is kept; an empty name changes nothing.
    void Adopt(const QByteArray& output);

private:
    QByteArray outputs_;
    QByteArray hardwareDecoding_;
    bool pinned_ = false;
};

} // namespace quarn
