#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>

namespace simmac {

// A simulated tool's output. Every write goes out at once as one write(2) (never buffered), so a reader
// sees the chunks the tool meant, and pacing between writes is real time. Fault rules can mute standard
// output (to replace it) and watch the lines and progress numbers written (to unplug a disk mid-stream).
class Console {
public:
    using Hook = std::function<void(int)>;

    void write(const QByteArray& bytes);
    void write(const QString& text) { write(text.toUtf8()); }
    void line(const QString& text);
    void error(const QString& text);  // one line on standard error
    // A progress number of a streaming tool, written alone.
    void progress(int percent);
    static void pause(std::chrono::milliseconds delay);

    void setMuted(bool muted) { muted_ = muted; }
    void setLineHook(Hook hook) { lineHook_ = std::move(hook); }
    void setProgressHook(Hook hook) { progressHook_ = std::move(hook); }

private:
    bool muted_ = false;
    int lines_ = 0;
    Hook lineHook_;
    Hook progressHook_;
};

}  // namespace simmac
