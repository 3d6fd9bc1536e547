#include "render/Texts.h"

#include "platform/cad/Database.h"
#include "platform/cad/Text.h"
#include "platform/text/CodePage.h"

#include <algorithm>
#include <cairo.h>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <unordered_map>

namespace render {

namespace {
constexpr double kPi = 3.14159265358979323846;
// The CAD program's line spacing at a factor of 1: five thirds of the text's height.
constexpr double kLineSpacing = 5.0 / 3.0;
// Faces of SHX fonts and of texts with no font of their own: a plain sans face about as wide as the stroked fonts
// (txt, romans, simplex) set their letters, and the one other renderers fall back to.
const char* const kSansFace = "DejaVu Sans";

std::string Lowered(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

std::string Active(const char* utf8) {
    std::string out;
    return textkit::Active().FromUtf8(utf8, out) ? out : std::string("?");
}

// A number at the start of `text` (as strtod reads it), or `fallback`.
double Number(const std::string& text, double fallback) {
    const char* begin = text.c_str();
    char* end = nullptr;
    double value = std::strtod(begin, &end);
    return end != begin && std::isfinite(value) ? value : fallback;
}
} // namespace

std::string FaceOfFont(std::string_view fileName, bool& shx) {
    std::string name = Lowered(fileName.substr(0, fileName.find_last_not_of(' ') + 1));
    std::size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos)
        name = name.substr(slash + 1);
    std::size_t dot = name.rfind('.');
    std::string extension = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    shx = extension.empty() || extension == "shx";
    if (shx || stem.empty())
        return kSansFace;
    // fontconfig takes a family's name: "arial.ttf" asks for Arial and gets it or its metric twin.
    if (stem == "times")
        return "Times New Roman";
    if (stem == "cour")
        return "Courier New";
    return stem;
}

double TextAdvance(const std::string& face, std::string_view text, double height) {
    static std::mutex lock;
    static cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    static cairo_t* cr = cairo_create(surface);
    // Cairo's own text sets each letter at the advance of the one before, without kerning: a text's advance is the
    // sum of its letters', each measured once a face, at a unit height.
    struct Advances {
        double ascii[128];
        std::unordered_map<std::string, double> others;
    };
    static std::unordered_map<std::string, Advances> faces;
    if (text.empty() || !(height > 0.0))
        return 0.0;
    std::lock_guard<std::mutex> guard(lock);
    // Texts are in the active code page: another page, other letters.
    static const textkit::CodePage* page = nullptr;
    if (page != &textkit::Active()) {
        page = &textkit::Active();
        faces.clear();
    }
    auto [entry, added] = faces.try_emplace(face);
    Advances& advances = entry->second;
    if (added)
        std::fill(std::begin(advances.ascii), std::end(advances.ascii), -1.0);
    bool selected = false;
    // Measured at a size with whole-pixel glyphs, then scaled: a drawing's heights may be anything.
    constexpr double kMeasuredHeight = 100.0;
    auto measure = [&](const std::string& letter) {
        if (!selected) {
            cairo_select_font_face(cr, face.c_str(), CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
            cairo_set_font_size(cr, kMeasuredHeight * kFontSizePerHeight);
            selected = true;
        }
        cairo_text_extents_t extents;
        cairo_text_extents(cr, letter.c_str(), &extents);
        return extents.x_advance / kMeasuredHeight;
    };
    bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    const std::string utf8 = ascii ? std::string() : textkit::Active().ToUtf8(text);
    std::string_view letters = ascii ? text : std::string_view(utf8);
    double unit = 0.0;
    for (std::size_t i = 0; i < letters.size();) {
        auto lead = static_cast<unsigned char>(letters[i]);
        if (lead < 0x80) {
            double& known = advances.ascii[lead];
            if (known < 0.0)
                known = measure(std::string(1, static_cast<char>(lead)));
            unit += known;
            ++i;
            continue;
        }
        std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        std::string letter(letters.substr(i, length));
        auto known = advances.others.find(letter);
        if (known == advances.others.end())
            known = advances.others.emplace(letter, measure(letter)).first;
        unit += known->second;
        i += length;
    }
    return unit * height;
}

std::string WithSpecialCharacters(std::string_view text) {
    if (text.find("%%") == std::string_view::npos)
        return std::string(text);
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%' || i + 2 >= text.size() || text[i + 1] != '%') {
            out += text[i];
            continue;
        }
        char code = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 2])));
        if (code == 'd')
            out += Active("\u00B0");
        else if (code == 'p')
            out += Active("\u00B1");
        else if (code == 'c')
            out += Active("\u00D8");
        else if (code == '%')
            out += '%';
        else if (code != 'u' && code != 'o' && code != 'k') {
            out += text.substr(i, 3);
        }
        i += 2;
    }
    return out;
}

std::string FaceOfStyle(Scene& scene, const cad::Database& db, cad::ObjectId styleId) {
    const auto* style = db.PeekAs<cad::TextStyleTableRecord>(styleId);
    if (!style)
        return kSansFace;
    bool shx = false;
    std::string face = FaceOfFont(style->fileName, shx);
    if (shx) {
        std::string font = style->fileName.empty() ? std::string("txt") : Lowered(style->fileName);
        scene.NoteShx(font.find('.') == std::string::npos ? font + ".shx" : font);
    }
    return face;
}

void AddText(Scene& scene, const cad::Database& db, const cad::TextEntity& text, const std::string& shown,
             const Placement& at, Group& group) {
    std::uint16_t face = scene.FaceOfStyle(db, text.styleId);
    bool aligned = text.horizontalMode != cad::HorizontalMode::Left || text.verticalMode != cad::VerticalMode::Base;
    bool fitted = text.horizontalMode == cad::HorizontalMode::Aligned || text.horizontalMode == cad::HorizontalMode::Fit;
    const cad::Point3d& p = aligned && !fitted ? text.alignmentPoint : text.position;
    std::string content = WithSpecialCharacters(shown);
    Label label{at.X(p.x, p.y), at.Y(p.x, p.y), text.height * at.Scale(), text.rotation + at.Angle()};
    label.widthFactor = static_cast<float>(text.widthFactor);
    label.oblique = static_cast<float>(text.oblique);
    label.backward = (text.generation & 2) != 0;
    label.upsideDown = (text.generation & 4) != 0;
    label.face = face;
    double width = 0.0;
    if (fitted) {
        // Between its two points: Fit stretches the letters, Aligned scales them both ways.
        double dx = text.alignmentPoint.x - text.position.x;
        double dy = text.alignmentPoint.y - text.position.y;
        double length = std::hypot(dx, dy);
        if (length > 0.0) {
            label.angle = std::atan2(dy, dx) + at.Angle();
            label.fit = static_cast<float>(length * at.Scale());
            label.fitUniform = text.horizontalMode == cad::HorizontalMode::Aligned;
            width = length * at.Scale();
        }
    } else {
        switch (text.horizontalMode) {
        case cad::HorizontalMode::Center:
        case cad::HorizontalMode::Middle: label.horizontal = 1; break;
        case cad::HorizontalMode::Right: label.horizontal = 2; break;
        default: break;
        }
        label.vertical = static_cast<std::uint8_t>(text.horizontalMode == cad::HorizontalMode::Middle
                                                       ? 2 : static_cast<int>(text.verticalMode));
    }
    if (width == 0.0)
        width = 0.6 * text.height * text.widthFactor * at.Scale() * static_cast<double>(content.size());
    scene.AddLabel(group, label, content, width);
}

std::vector<MtextParagraph> ParseMtext(std::string_view text, double height, const std::string& face) {
    std::vector<MtextParagraph> paragraphs(1);
    MtextRun format;
    format.height = height;
    format.face = face;
    std::vector<MtextRun> saved;
    MtextRun current = format;
    auto flush = [&] {
        if (!current.text.empty())
            paragraphs.back().push_back(current);
        current.text.clear();
    };
    // A code's argument, up to its ';'.
    auto argument = [&](std::size_t& i) {
        std::size_t end = text.find(';', i + 1);
        std::string value(text.substr(i + 1, end == std::string_view::npos ? std::string_view::npos : end - i - 1));
        i = end == std::string_view::npos ? text.size() : end;
        return value;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '{') {
            flush();
            saved.push_back(current);
            continue;
        }
        if (c == '}') {
            flush();
            if (!saved.empty()) {
                current = saved.back();
                current.text.clear();
                saved.pop_back();
            }
            continue;
        }
        if (c != '\\' || i + 1 >= text.size()) {
            current.text += c;
            continue;
        }
        char code = text[++i];
        switch (code) {
        case 'P':
        case 'N':
            flush();
            paragraphs.emplace_back();
            break;
        case '\\':
        case '{':
        case '}': current.text += code; break;
        case '~': current.text += ' '; break;
        case 'H': {
            std::string value = argument(i);
            double number = Number(value, 1.0);
            flush();
            if (!value.empty() && (value.back() == 'x' || value.back() == 'X'))
                current.height *= number > 0 ? number : 1.0;
            else if (number > 0)
                current.height = number;
            break;
        }
        case 'C':
        case 'c': {
            std::string value = argument(i);
            flush();
            int number = static_cast<int>(Number(value, 256));
            if (code == 'c')
                current.colour = (number & 0xFF) << 16 | (number & 0xFF00) | ((number >> 16) & 0xFF);
            else
                current.colour = number >= 1 && number <= 255 ? IndexColour(number) : -2;
            break;
        }
        case 'f':
        case 'F': {
            std::string value = argument(i);
            flush();
            std::string family = value.substr(0, value.find('|'));
            bool shx = false;
            current.face = code == 'F' ? FaceOfFont(family, shx) : family.empty() ? face : family;
            break;
        }
        case 'L': flush(); current.underline = true; break;
        case 'l': flush(); current.underline = false; break;
        case 'O': flush(); current.overline = true; break;
        case 'o': flush(); current.overline = false; break;
        case 'K':
        case 'k': break;
        case 'S': {
            std::string value = argument(i);
            flush();
            std::size_t split = value.find_first_of("/^#");
            MtextRun stack = current;
            stack.stacked = true;
            stack.text = value.substr(0, split);
            if (split != std::string::npos) {
                stack.under = value.substr(split + 1);
                stack.stackKind = value[split];
            }
            paragraphs.back().push_back(stack);
            break;
        }
        case 'A':
        case 'Q':
        case 'W':
        case 'T':
        case 'p':
            // Alignment, slant, width, tracking and paragraph settings: their argument is passed over.
            argument(i);
            break;
        case 'U':
            // \U+XXXX the file decoder left because the active page lacks it: shown as it stands.
            current.text += "\\U";
            break;
        default: current.text += code; break;
        }
    }
    flush();
    return paragraphs;
}

namespace {
struct Piece {
    MtextRun run;
    double x = 0.0;
    double width = 0.0;
};
struct Line {
    std::vector<Piece> pieces;
    double width = 0.0;
    double height = 0.0;
    // One plain run not measured (nothing to wrap it to): the painter aligns it, its width is a guess.
    bool plain = false;
};

// The paragraphs broken into lines no wider than `column` (none when 0), at spaces; a word wider than the column
// has a line of its own.
std::vector<Line> Wrap(const std::vector<MtextParagraph>& paragraphs, double column, double height) {
    std::vector<Line> lines;
    for (const MtextParagraph& paragraph : paragraphs) {
        Line line;
        line.height = paragraph.empty() ? height : 0.0;
        double trailingSpace = 0.0;
        if (column <= 0.0 && paragraph.size() == 1 && !paragraph[0].stacked && !paragraph[0].underline &&
            !paragraph[0].overline) {
            // Most multiline texts are lines of one format: no letter of them need be measured.
            const MtextRun& run = paragraph[0];
            line.plain = true;
            line.height = run.height;
            line.width = 0.6 * run.height * static_cast<double>(run.text.size());
            line.pieces.push_back(Piece{run, 0.0, line.width});
            lines.push_back(std::move(line));
            continue;
        }
        // `text` in the run's format: onto the line's last piece when that has the same format, else a piece of
        // its own.
        auto place = [&](const MtextRun& run, std::string_view text, double width) {
            if (!line.pieces.empty() && !run.stacked && !line.pieces.back().run.stacked &&
                line.pieces.back().run.height == run.height && line.pieces.back().run.colour == run.colour &&
                line.pieces.back().run.face == run.face && line.pieces.back().run.underline == run.underline &&
                line.pieces.back().run.overline == run.overline) {
                line.pieces.back().run.text += text;
                line.pieces.back().width += width;
            } else {
                line.pieces.push_back(Piece{run, line.width, width});
                if (!run.stacked)
                    line.pieces.back().run.text.assign(text);
            }
            line.width += width;
            line.height = std::max(line.height, run.height);
        };
        for (const MtextRun& run : paragraph) {
            if (run.stacked) {
                double width = std::max(TextAdvance(run.face, run.text, run.height * 0.7),
                                        TextAdvance(run.face, run.under, run.height * 0.7));
                if (run.stackKind == '#')
                    width = TextAdvance(run.face, run.text + "/" + run.under, run.height);
                place(run, run.text, width);
                trailingSpace = 0.0;
                continue;
            }
            std::size_t start = 0;
            while (start < run.text.size()) {
                // A word with the spaces after it.
                std::size_t wordEnd = run.text.find(' ', start);
                if (wordEnd == std::string::npos)
                    wordEnd = run.text.size();
                std::size_t spaceEnd = run.text.find_first_not_of(' ', wordEnd);
                if (spaceEnd == std::string::npos)
                    spaceEnd = run.text.size();
                std::string_view word = std::string_view(run.text).substr(start, wordEnd - start);
                double wordWidth = TextAdvance(run.face, word, run.height);
                if (column > 0.0 && !line.pieces.empty() && line.width - trailingSpace + wordWidth > column) {
                    line.width -= trailingSpace;
                    lines.push_back(std::move(line));
                    line = Line{};
                }
                if (!word.empty())
                    place(run, word, wordWidth);
                std::string_view spaces = std::string_view(run.text).substr(wordEnd, spaceEnd - wordEnd);
                trailingSpace = TextAdvance(run.face, spaces, run.height);
                if (!spaces.empty() && !line.pieces.empty())
                    place(run, spaces, trailingSpace);
                start = spaceEnd;
            }
        }
        line.width -= trailingSpace;
        if (line.height == 0.0)
            line.height = height;
        lines.push_back(std::move(line));
    }
    return lines;
}
} // namespace

void AddMtext(Scene& scene, const Tags& tags, const std::string& content, const std::string& face, const Placement& at,
              Group& group) {
    double height = tags.Number(40, 1.0);
    if (!(height > 0.0))
        height = 1.0;
    double x = tags.Number(10), y = tags.Number(20);
    double angle = tags.Number(50) * kPi / 180;
    if (tags.Number(11) != 0 || tags.Number(21) != 0)
        angle = std::atan2(tags.Number(21), tags.Number(11));
    int attachment = std::clamp(static_cast<int>(tags.Number(71, 1)), 1, 9);
    double factor = tags.Number(44, 1.0);
    if (!(factor > 0.0))
        factor = 1.0;
    std::vector<Line> lines = Wrap(ParseMtext(WithSpecialCharacters(content), height, face), tags.Number(41, 0.0), height);
    // Baselines from the top of the block down.
    std::vector<double> baselines;
    double baseline = 0.0;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        baseline -= k == 0 ? lines[k].height : kLineSpacing * factor * lines[k].height;
        baselines.push_back(baseline);
    }
    double total = -baseline;
    double top = attachment <= 3 ? 0.0 : attachment <= 6 ? total / 2 : total;
    int column = (attachment - 1) % 3;
    double cs = std::cos(angle), sn = std::sin(angle);
    auto worldX = [&](double u, double v) { return x + u * cs - v * sn; };
    auto worldY = [&](double u, double v) { return y + u * sn + v * cs; };
    std::int32_t own = scene.PenColour();
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const Line& line = lines[k];
        double base = top + baselines[k];
        if (line.plain) {
            const MtextRun& run = line.pieces[0].run;
            if (run.text.find_first_not_of(' ') == std::string::npos)
                continue;
            scene.UseColour(run.colour == -2 ? own : run.colour);
            double wx = worldX(0.0, base), wy = worldY(0.0, base);
            Label l{at.X(wx, wy), at.Y(wx, wy), run.height * at.Scale(), angle + at.Angle()};
            l.face = scene.FaceIndex(run.face);
            l.horizontal = static_cast<std::uint8_t>(column);
            scene.AddLabel(group, l, run.text, line.width * at.Scale());
            continue;
        }
        double left = column == 0 ? 0.0 : column == 1 ? -line.width / 2 : -line.width;
        for (const Piece& piece : line.pieces) {
            const MtextRun& run = piece.run;
            scene.UseColour(run.colour == -2 ? own : run.colour);
            auto label = [&](const std::string& text, double u, double v, double h) {
                if (text.empty() || text.find_first_not_of(' ') == std::string::npos)
                    return;
                double wx = worldX(u, v), wy = worldY(u, v);
                Label l{at.X(wx, wy), at.Y(wx, wy), h * at.Scale(), angle + at.Angle()};
                l.face = scene.FaceIndex(run.face);
                scene.AddLabel(group, l, text, TextAdvance(run.face, text, h) * at.Scale());
            };
            auto rule = [&](double u1, double u2, double v) {
                double ax = worldX(u1, v), ay = worldY(u1, v), bx = worldX(u2, v), by = worldY(u2, v);
                scene.AddSegment(group, at.X(ax, ay), at.Y(ax, ay), at.X(bx, by), at.Y(bx, by));
            };
            double u = left + piece.x;
            if (run.stacked && run.stackKind != '#') {
                // Numerator over denominator, each at seven tenths, the bar (for '/') between them.
                double small = run.height * 0.7;
                label(run.text, u + (piece.width - TextAdvance(run.face, run.text, small)) / 2, base + run.height * 0.6,
                      small);
                label(run.under, u + (piece.width - TextAdvance(run.face, run.under, small)) / 2, base - run.height * 0.3,
                      small);
                if (run.stackKind == '/')
                    rule(u, u + piece.width, base + run.height * 0.45);
                continue;
            }
            label(run.stacked ? run.text + "/" + run.under : run.text, u, base, run.height);
            if (run.underline)
                rule(u, u + piece.width, base - run.height * 0.2);
            if (run.overline)
                rule(u, u + piece.width, base + run.height * 1.2);
        }
    }
    scene.UseColour(own);
}

} // namespace render
