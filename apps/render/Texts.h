#pragma once

// Texts as the CAD program sets them: single-line texts by their alignment, mirror flags and style, multiline
// texts wrapped to their column width with their inline formatting (height, colour, font, underline, stacked
// fractions), in the faces fontconfig finds for the styles' fonts.
#include "render/EntityTags.h"

#include "platform/cad/Objects.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace render {

// A face's size is this many times a text's height: the height the CAD program gives is its capitals'.
constexpr double kFontSizePerHeight = 1.4;

// The face a style's font file is drawn in: a TrueType file by its name, which fontconfig resolves to the font or
// the nearest it has; an SHX font (`shx` set) by a plain sans face.
std::string FaceOfFont(std::string_view fileName, bool& shx);
// How far `text` (in the active code page) advances in `face` at `height`, in the same units.
double TextAdvance(const std::string& face, std::string_view text, double height);

// %%d, %%p, %%c and %%% as the characters they stand for, in the active code page; %%u and %%o (underline and
// overline switches) dropped.
std::string WithSpecialCharacters(std::string_view text);

// A TEXT, ATTRIB or ATTDEF showing `shown`.
void AddText(Scene& scene, const cad::Database& db, const cad::TextEntity& text, const std::string& shown,
             const Placement& at, Group& group);
// The face of the text style `name` (an SHX one noted with the scene).
std::string FaceOfStyle(Scene& scene, const cad::Database& db, cad::ObjectId styleId);
// An MTEXT from its tags; `content` is its text in the active code page, `face` its style's.
void AddMtext(Scene& scene, const Tags& tags, const std::string& content, const std::string& face, const Placement& at,
              Group& group);

// One stretch of a multiline text in one format.
struct MtextRun {
    std::string text;
    double height = 1.0;
    std::int32_t colour = -2; // 0xRRGGBB; -2 the entity's own
    std::string face;
    bool underline = false;
    bool overline = false;
    // A stack ("\S1/2;"): `text` above `under`, with a bar between for '/'.
    bool stacked = false;
    std::string under;
    char stackKind = '/';
    bool operator==(const MtextRun&) const = default;
};
using MtextParagraph = std::vector<MtextRun>;

// A multiline text's content as paragraphs of runs, its codes read; `height` and `face` are the entity's.
std::vector<MtextParagraph> ParseMtext(std::string_view text, double height, const std::string& face);

} // namespace render
