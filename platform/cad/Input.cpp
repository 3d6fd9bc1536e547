#include "platform/cad/Input.h"

#include <cstdlib>

namespace cad {

namespace {
struct NameOf {
    const char* operator()(const FileAnswer&) const { return "a file name"; }
    const char* operator()(const PointAnswer&) const { return "a point"; }
    const char* operator()(const SelectionAnswer&) const { return "a selection"; }
    const char* operator()(const TextAnswer&) const { return "a text"; }
    const char* operator()(const EmptyAnswer&) const { return "an empty answer"; }
    const char* operator()(const CancelAnswer&) const { return "a cancel"; }
    const char* operator()(const InputEvent&) const { return "an input event"; }
};

bool Fits(Request request, const Answer& answer) {
    if (std::holds_alternative<CancelAnswer>(answer))
        return true;
    switch (request) {
    case Request::File: return std::holds_alternative<FileAnswer>(answer);
    case Request::Point: return std::holds_alternative<PointAnswer>(answer) || std::holds_alternative<EmptyAnswer>(answer);
    case Request::Selection: return std::holds_alternative<SelectionAnswer>(answer);
    case Request::Text: return std::holds_alternative<TextAnswer>(answer) || std::holds_alternative<EmptyAnswer>(answer);
    case Request::Event: return std::holds_alternative<InputEvent>(answer);
    }
    return false;
}
} // namespace

std::string FormatFilePrompt(const FilePrompt& prompt) {
    return prompt.title + " [" + prompt.defaultName + "] *." + prompt.extension + " flags " + std::to_string(prompt.flags);
}

bool ParseFilePrompt(const std::string& text, FilePrompt& prompt) {
    std::size_t open = text.find(" [");
    std::size_t close = text.rfind("] *.");
    std::size_t flags = text.rfind(" flags ");
    if (open == std::string::npos || close == std::string::npos || flags == std::string::npos || close < open ||
        flags < close)
        return false;
    prompt.title = text.substr(0, open);
    prompt.defaultName = text.substr(open + 2, close - open - 2);
    prompt.extension = text.substr(close + 4, flags - close - 4);
    prompt.flags = std::atoi(text.c_str() + flags + 7);
    return true;
}

const char* RequestName(Request request) {
    switch (request) {
    case Request::File: return "a file name";
    case Request::Point: return "a point";
    case Request::Selection: return "a selection";
    case Request::Text: return "a text";
    case Request::Event: return "an input event";
    }
    return "an answer";
}

const char* AnswerName(const Answer& answer) {
    return std::visit(NameOf{}, answer);
}

std::string ReplaceQuestion(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return (slash == std::string::npos ? path : path.substr(slash + 1)) + " already exists. Do you want to replace it?";
}

bool ScriptedInput::Next(Request request, const std::string& prompt, Answer& answer, std::string& error) {
    std::string asked = prompt.empty() ? std::string() : " (prompt \"" + prompt + "\")";
    if (m_answers.empty()) {
        error = std::string("scripted input: expected ") + RequestName(request) + asked + ", but no answer is left";
        return false;
    }
    if (!Fits(request, m_answers.front())) {
        error = std::string("scripted input: expected ") + RequestName(request) + asked + ", but the next answer is " +
                AnswerName(m_answers.front());
        return false;
    }
    answer = std::move(m_answers.front());
    m_answers.pop_front();
    return true;
}

} // namespace cad
