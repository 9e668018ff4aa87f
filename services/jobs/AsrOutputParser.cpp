#include "services/jobs/AsrOutputParser.h"

#include <algorithm>
#include <array>
#include <utility>

namespace jobs {

namespace {

const QString kPrompt = QStringLiteral("[ny]");
const QString kEllipsis = QStringLiteral("...");
const QString kValidatingTarget = QStringLiteral("Validating target...");
const QString kValidatingSource = QStringLiteral("Validating source...");
const QString kCloning = QStringLiteral("Cloning...");
const QString kDone = QStringLiteral("done");
const std::array<QString, 3> kPassTitles{QStringLiteral("Replicating"), QStringLiteral("Restoring"),
                                         QStringLiteral("Verifying")};

using Event = AsrOutputParser::Event;

bool isPassTitle(QStringView text) {
    return std::find(kPassTitles.begin(), kPassTitles.end(), text) != kPassTitles.end();
}

// "Validating sizes..." ends a step text; the dots of a pass ("  ....") do not.
bool endsStepText(const QString& line) {
    return line.size() > kEllipsis.size() && line.endsWith(kEllipsis) &&
           line.at(line.size() - kEllipsis.size() - 1).isLetter();
}

// How much of the bytes can be decoded now: all but a character that the next chunk completes (at most
// three bytes of a sequence begun at the end). A stateful decoder would do, but Qt's loses the character
// after an invalid sequence that a chunk ends in.
qsizetype decodableLength(const QByteArray& bytes) {
    const qsizetype size = bytes.size();
    for (qsizetype back = 1; back <= std::min<qsizetype>(3, size); ++back) {
        const auto byte = static_cast<unsigned char>(bytes.at(size - back));
        if (byte < 0x80) {
            return size;
        }
        if (byte >= 0xC0) {
            const qsizetype length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
            return length > back ? size - back : size;
        }
    }
    return size;
}

// The words as one line of plain text: control characters become blanks, runs of blanks one; cut to the
// length with an ellipsis, never inside a character.
QString plainLine(QStringView words) {
    QString line;
    line.reserve(words.size());
    for (const QChar c : words) {
        line += c.category() == QChar::Other_Control ? QChar(u' ') : c;
    }
    line = line.simplified();
    if (line.size() > AsrOutputParser::kLastWordsLength) {
        qsizetype keep = AsrOutputParser::kLastWordsLength - 1;
        if (line.at(keep - 1).isHighSurrogate()) {
            --keep;
        }
        line = line.first(keep) + QChar(0x2026);
    }
    return line;
}

}  // namespace

std::vector<Event> AsrOutputParser::feed(const QByteArray& chunk) {
    pending_ += chunk;
    const qsizetype length = decodableLength(pending_);
    std::vector<Event> events;
    // Bytes that are not UTF-8 read as replacement characters; the text around them stays.
    for (const QChar c : QString::fromUtf8(pending_.constData(), length)) {
        take(c, events);
    }
    pending_.remove(0, length);
    return events;
}

std::vector<Event> AsrOutputParser::finish() {
    std::vector<Event> events;
    for (const QChar c : QString::fromUtf8(std::exchange(pending_, {}))) {
        take(c, events);
    }
    endNumber(events);
    endLine(events);
    return events;
}

void AsrOutputParser::take(QChar c, std::vector<Event>& events) {
    if (c == u'\n' || c == u'\r') {
        endNumber(events);
        endLine(events);
        return;
    }
    if (promptTail_) {
        if (c == u':' || c.isSpace()) {
            return;
        }
        promptTail_ = false;
    }
    // A message of the system can cut a pass's line; its dots go on on a line of their own.
    if (!passLine_ && passOpen_ && c == u'.' && blanks_ == line_.size()) {
        passLine_ = true;
        wordsFrom_ = line_.size();
    }
    line_ += c;
    if (blanks_ == line_.size() - 1 && c.isSpace()) {
        ++blanks_;
    }
    if (passLine_) {
        takeInPass(c, events);
        return;
    }
    if (!answered_ && line_.endsWith(kPrompt)) {
        answered_ = true;
        events.push_back(Event::prompt());
        // The answer is not echoed through a pipe, so the tool may go on on the prompt's line.
        line_.clear();
        blanks_ = 0;
        wordsFrom_ = 0;
        promptTail_ = true;
        return;
    }
    if (lineShown_) {
        return;
    }
    // Only the newest character can complete a title or an ellipsis: a look at the line's end is enough,
    // so a long line costs time in proportion to its length.
    if (!c.isSpace() && isPassTitle(QStringView(line_).sliced(blanks_))) {
        passLine_ = true;
        passOpen_ = true;
        wordsFrom_ = line_.size();
        events.push_back(Event::label(kCloning));
        if (++isTwoTime == 1) {
            events.push_back(Event::stepTo(5));
        }
        inProgress = true;
    } else if (endsStepText(line_)) {
        lineShown_ = true;
        wordsFrom_ = line_.size();
        const QString text = line_.trimmed();
        if (text.endsWith(kValidatingTarget)) {
            events.push_back(Event::stepTo(3));
        } else if (text.endsWith(kValidatingSource)) {
            events.push_back(Event::stepTo(4));
        }
        label(text, events);
    }
}

void AsrOutputParser::takeInPass(QChar c, std::vector<Event>& events) {
    // The pass's dots and numbers are progress; a message that cuts them is the tool's words.
    if (wordsFrom_ == line_.size() - 1 && (c == u'.' || c.isDigit() || c.isSpace())) {
        wordsFrom_ = line_.size();
    }
    if (c.isDigit()) {
        number_ += c;
    } else {
        endNumber(events);
    }
}

void AsrOutputParser::endNumber(std::vector<Event>& events) {
    if (number_.isEmpty()) {
        return;
    }
    bool ok = false;
    const int percent = number_.toInt(&ok);
    number_.clear();
    if (!ok) {
        return;
    }
    if ((isTwoTime == 1 || isTwoTime == 2) && percent >= 10 && percent <= 100 && percent % 10 == 0) {
        events.push_back(Event::tagOf(percent / 10, isTwoTime));
    }
    if (percent == 100) {
        passOpen_ = false;
        if (++isTwoTime100 == 2) {
            inProgress = false;
        }
    }
}

void AsrOutputParser::endLine(std::vector<Event>& events) {
    if (!lineShown_ && !passLine_) {
        const QString text = line_.trimmed();
        if (!text.isEmpty()) {
            label(text, events);
        }
    }
    // A "done" of its own ends a step text that a message of the system cut.
    QStringView words = QStringView(line_).sliced(wordsFrom_).trimmed();
    if (words.startsWith(kDone)) {
        words = words.sliced(kDone.size());
    }
    if (const QString said = plainLine(words); !said.isEmpty()) {
        lastWords_ = said;
    }
    line_.clear();
    blanks_ = 0;
    wordsFrom_ = 0;
    lineShown_ = false;
    passLine_ = false;
    promptTail_ = false;
}

void AsrOutputParser::label(const QString& text, std::vector<Event>& events) const {
    if (!inProgress) {
        events.push_back(Event::label(text));
    }
}

}  // namespace jobs
