#pragma once

#include "platform/cad/Geometry.h"
#include "platform/cad/Objects.h"

#include <deque>
#include <string>
#include <variant>
#include <vector>

namespace cad {

// What the user answers to one request of the editor.
struct FileAnswer {
    std::string path;
};
struct PointAnswer {
    Point3d point;
};
struct SelectionAnswer {
    bool everything = false;   // all entities of model space, in drawing order
    std::vector<ObjectId> ids; // otherwise these, in this order
    bool allLayouts = false;   // with everything: paper space's and every other layout's after model space's
};
struct TextAnswer {
    std::string text;
};
// Enter without a value.
struct EmptyAnswer {};
struct CancelAnswer {};

enum class EventType : int { Key = 2, Pick = 3, Motion = 5 };
struct InputEvent {
    EventType type = EventType::Motion;
    Point3d point;
    int key = 0;
};

using Answer = std::variant<FileAnswer, PointAnswer, SelectionAnswer, TextAnswer, EmptyAnswer, CancelAnswer,
                            InputEvent>;

enum class Request { File, Point, Selection, Text, Event };

// What a file request asks, carried in its prompt as "TITLE [DEFAULT] *.EXTENSION flags N", so that a
// scripted answer can be checked against it and a live file chooser can be set up from it.
struct FilePrompt {
    std::string title;
    std::string defaultName;
    std::string extension;
    int flags = 0; // 1: a file to create, 2: an existing file
};
[[nodiscard]] std::string FormatFilePrompt(const FilePrompt& prompt);
// False when the text is not such a prompt.
[[nodiscard]] bool ParseFilePrompt(const std::string& text, FilePrompt& prompt);
[[nodiscard]] const char* RequestName(Request request);
// The question the host's file dialog asks before it replaces a file: "NAME already exists. Do you want to
// replace it?", NAME being the file's name without its folder.
[[nodiscard]] std::string ReplaceQuestion(const std::string& path);
[[nodiscard]] const char* AnswerName(const Answer& answer);

class InputSource {
public:
    virtual ~InputSource() = default;
    // False when no fitting answer can be given; `error` then says why.
    [[nodiscard]] virtual bool Next(Request request, const std::string& prompt, Answer& answer,
                                    std::string& error) = 0;
    // A file to be created was chosen that exists: whether to replace it. A source that asks the user itself
    // while choosing, or whose names are the user's explicit choice, replaces without a word.
    [[nodiscard]] virtual bool ConfirmReplace(const FilePrompt& /*prompt*/, const std::string& /*path*/) { return true; }
};

// A queue of prepared answers. A request meets the answer at the front: an answer of another kind, or no
// answer at all, is an error that leaves the queue as it was, never a wait.
class ScriptedInput : public InputSource {
public:
    void Push(Answer answer) { m_answers.push_back(std::move(answer)); }
    std::size_t Pending() const { return m_answers.size(); }
    void Clear() { m_answers.clear(); }
    bool Next(Request request, const std::string& prompt, Answer& answer, std::string& error) override;

private:
    std::deque<Answer> m_answers;
};

} // namespace cad
