#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace jobs {

// Turns the restore tool's console output into what the clone engine reports: progress steps, status texts,
// the tags of its two copy passes and its confirmation prompt. The output is read as one stream: however the
// pipe splits or joins it, the same text gives the same events in the same order. One parser per run.
//
//     \tValidating target...done            step 3, "Validating target..."
//     \tValidating source...done            step 4, "Validating source..."
//     \tErase contents of …? [ny]:          the prompt (answered once)
//     \tReplicating  ....10....20 … ....100  "Cloning...", step 5 (first pass only), tags 1 … 10 of pass 1
//     \tVerifying  ....10 … ....100          "Cloning...", tags 1 … 10 of pass 2
//     \tRestored target device is /dev/disk5s1.
//
// A step text ("Validating sizes...") is shown when its ellipsis arrives; any other line when it ends. No
// text is shown from the start of the first pass until the second pass has reached 100.
//
// The parser also keeps the tool's last words: the last line that says more than a step and its "done" or a
// pass's dots and numbers ("Could not restore - Target is too small" after "Validating sizes..."), as one
// line of plain text without control characters, cut at `kLastWordsLength` characters.
class AsrOutputParser {
public:
    struct Event {
        enum class Kind { Prompt, Step, Label, Tag };
        Kind kind = Kind::Label;
        int step = 0;  // Step
        int tag = 0;   // Tag: 1 to 10, a tenth of the pass each
        int pass = 0;  // Tag: 1 or 2
        QString text;  // Label

        bool operator==(const Event&) const = default;

        static Event prompt() { return {Kind::Prompt, 0, 0, 0, {}}; }
        static Event stepTo(int step) { return {Kind::Step, step, 0, 0, {}}; }
        static Event label(const QString& text) { return {Kind::Label, 0, 0, 0, text}; }
        static Event tagOf(int tag, int pass) { return {Kind::Tag, 0, tag, pass, {}}; }
    };

    std::vector<Event> feed(const QByteArray& chunk);
    // The end of the output: what is still pending counts as complete.
    std::vector<Event> finish();

    static constexpr qsizetype kLastWordsLength = 200;

    // Both copy passes printed their 100.
    bool bothPassesEnded() const { return isTwoTime100 >= 2; }
    // Empty when the tool said nothing beyond its progress.
    const QString& lastWords() const { return lastWords_; }

private:
    void take(QChar c, std::vector<Event>& events);
    void takeInPass(QChar c, std::vector<Event>& events);
    void endNumber(std::vector<Event>& events);
    void endLine(std::vector<Event>& events);
    void label(const QString& text, std::vector<Event>& events) const;

    int isTwoTime = 0;     // copy passes begun
    int isTwoTime100 = 0;  // copy passes that reached 100
    bool inProgress = false;
    QByteArray pending_;  // the start of a character that the next chunk completes
    QString line_;
    qsizetype blanks_ = 0;     // the blanks that open line_
    qsizetype wordsFrom_ = 0;  // where the tool's words begin in line_, after its progress
    QString number_;
    bool lineShown_ = false;   // the line gave its text (a step text)
    bool passLine_ = false;    // the line carries a pass's progress
    bool passOpen_ = false;    // a pass began and has not printed its 100
    bool promptTail_ = false;  // the ": " after the prompt's mark belongs to no line
    bool answered_ = false;
    QString lastWords_;
};

}  // namespace jobs
