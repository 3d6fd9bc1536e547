#include "help/Help.h"

#include "help/Version.h"

#include <map>
#include <sstream>
#include <vector>

namespace hostapp {

namespace {

// The files an option or a subcommand's positional takes, by extension, for completion.
const std::map<std::string, std::string>& FileKinds() {
    static const auto* s_kinds = new std::map<std::string, std::string>{
        {"--catalog", "prc|csv|xlsx"}, {"--text", "txt"},   {"--csv", "csv"},        {"--xlsx", "xlsx"},
        {"--json", "json"},   {"--output", "dxf|png|pdf|svg"}, {"--snapshot", "png"},   {"--module", "so"},
        {"--references", "csv|json"},              {"convert-catalog", "prc|csv|xlsx"},
        {"--drawing", "dxf|DXF|dwg|DWG"},          {"report", "dxf|DXF|dwg|DWG"},
        {"blocks", "dxf|DXF|dwg|DWG"},             {"gui", "dxf|DXF|dwg|DWG"},
        {"check-catalog", "prc|PRC|txt"},          {"script", "txt|vts"},
    };
    return *s_kinds;
}

// Values an option takes from a short list.
const std::map<std::string, std::string>& ValueLists() {
    static const auto* s_values = new std::map<std::string, std::string>{
        {"--codepage", "utf-8 65001 874 1250 1251 1252 1253 1254 1255 1256 1257 1258 932 936 949 950"},
        {"--names", "stored effective"},
        {"--background", "white black"},
        {"--select", "all all-layouts layer: window:"},
        {"--columns-by", "drawing layer layout none"},
    };
    return *s_values;
}

struct ExitCode {
    int code;
    const char* meaning;
};
const ExitCode kExitCodes[] = {
    {0, "done"},
    {1, "the command failed or is unknown; a report that selects no block reference, whose catalogue cannot be "
        "read or whose files cannot be written; run of a command whose questions or dialog no one answered; a "
        "script step the moment cannot take; a drawing that cannot be saved; check-catalog found something; "
        "convert-catalog wrote after saying what it left out or reads otherwise, or could not write; a spreadsheet "
        "catalogue that cannot be read; gui without a desktop"},
    {2, "the module was refused: not found, not a module, or built for another interface version"},
    {3, "the drawing cannot be read (with --strict: is damaged), or a DWG cannot be converted; check-catalog and "
        "convert-catalog: the catalogue cannot be read; a report over several drawings of which none can be read"},
    {4, "a report over several drawings is partial: those named on standard error could not be read"},
    {64, "bad usage: an unknown option or subcommand, a value an option does not take, a hidden --sort column"},
};

std::string Roff(const std::string& text) {
    std::string out;
    bool lineStart = true;
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else if (lineStart && (c == '.' || c == '\''))
            out += std::string("\\&") + c;
        else
            out += c;
        lineStart = c == '\n';
    }
    return out;
}

// "-o, --output FILE" for an option; the placeholder for a positional.
std::string OptionHead(const CLI::Option* option) {
    if (option->get_positional())
        return option->get_name(true, false);
    std::string head;
    for (const std::string& name : option->get_snames())
        head += (head.empty() ? "-" : ", -") + name;
    for (const std::string& name : option->get_lnames())
        head += (head.empty() ? "--" : ", --") + name;
    if (option->get_type_size() != 0 && !option->get_type_name().empty())
        head += " " + option->get_type_name();
    return head;
}

std::vector<const CLI::Option*> Shown(const CLI::App& app) {
    std::vector<const CLI::Option*> shown;
    for (const CLI::Option* option : app.get_options()) {
        if (!option->get_group().empty() && option->get_lnames() != std::vector<std::string>{"help"})
            shown.push_back(option);
    }
    return shown;
}

void ManualOptions(std::ostringstream& page, const CLI::App& app) {
    for (const CLI::Option* option : Shown(app)) {
        page << ".TP\n.B " << Roff(OptionHead(option)) << "\n" << Roff(option->get_description()) << "\n";
    }
}

std::string Words(const std::vector<std::string>& words) {
    std::string out;
    for (const std::string& word : words)
        out += (out.empty() ? "" : " ") + word;
    return out;
}

std::vector<std::string> LongNames(const CLI::App& app) {
    std::vector<std::string> names;
    for (const CLI::Option* option : Shown(app)) {
        if (option->get_positional())
            continue;
        for (const std::string& name : option->get_snames())
            names.push_back("-" + name);
        for (const std::string& name : option->get_lnames())
            names.push_back("--" + name);
    }
    names.push_back("--help");
    return names;
}

// The name that keys the tables above: the option's long name.
std::string Key(const CLI::Option* option) {
    return option->get_lnames().empty() ? std::string() : "--" + option->get_lnames().front();
}
} // namespace

std::string VersionText() {
    std::string revision = VANTOREL_REVISION;
    return std::string("vantorel ") + VANTOREL_VERSION + (revision.empty() ? "" : " (git " + revision + ")");
}

std::string ManualPage(const CLI::App& app) {
    std::ostringstream page;
    page << ".TH VANTOREL 1 \"\" \"" << Roff(VersionText()) << "\" \"User Commands\"\n";
    page << ".SH NAME\nvantorel \\- " << Roff(app.get_description()) << "\n";
    page << ".SH SYNOPSIS\n.B vantorel\n[\\fIOPTIONS\\fR] \\fISUBCOMMAND\\fR [\\fIARGUMENTS\\fR]\n";
    page << ".SH DESCRIPTION\nVantorel counts the block references of a drawing (DXF of every release, binary DXF, "
            "DWG), prices them by a price catalogue (lines NAME|PRICE|DESCRIPTION) and shows, saves or inserts the "
            "report as the plug-in module does in a drawing editor.\n";
    page << ".SH OPTIONS\n";
    ManualOptions(page, app);
    page << ".SH SUBCOMMANDS\n";
    for (const CLI::App* sub : app.get_subcommands({})) {
        page << ".SS " << Roff(sub->get_name()) << "\n" << Roff(sub->get_description()) << "\n";
        ManualOptions(page, *sub);
        if (!sub->get_footer().empty())
            page << ".PP\n.nf\n" << Roff(sub->get_footer()) << "\n.fi\n";
    }
    page << ".SH ENVIRONMENT\n";
    page << ".TP\n.B LC_ALL, LC_CTYPE, LANG\nA locale that names UTF\\-8 makes UTF\\-8 the active code page; "
            "otherwise it is 1252. Standard output and error on a terminal are converted to the locale's "
            "character set.\n";
    for (auto [name, meaning] : {std::pair{"VANTOREL_DWG_CONVERTER", "the LibreDWG converter script"},
                                 std::pair{"VANTOREL_DWG_FALLBACK_CONVERTER", "the libdxfrw converter script"},
                                 std::pair{"VANTOREL_NODE", "the node that runs them"},
                                 std::pair{"VANTOREL_DWG_TIMEOUT", "seconds before a conversion is stopped"},
                                 std::pair{"XDG_CONFIG_HOME", "where an installed module keeps its settings when "
                                                              "its own folder cannot be written"}})
        page << ".TP\n.B " << Roff(name) << "\n" << Roff(meaning) << "\n";
    page << ".SH EXIT STATUS\n";
    for (const ExitCode& exit : kExitCodes)
        page << ".TP\n.B " << exit.code << "\n" << Roff(exit.meaning) << "\n";
    page << ".SH SEE ALSO\nThe README of the sources, for scripts, the live editor and the report formats.\n";
    return page.str();
}

std::string BashCompletion(const CLI::App& app) {
    std::ostringstream script;
    std::vector<std::string> subcommands;
    for (const CLI::App* sub : app.get_subcommands({}))
        subcommands.push_back(sub->get_name());
    std::ostringstream values;
    auto collect = [&](const CLI::App& from) {
        for (const CLI::Option* option : Shown(from)) {
            if (option->get_positional() || option->get_type_size() == 0)
                continue;
            std::string key = Key(option);
            std::string names;
            for (const std::string& name : option->get_snames())
                names += (names.empty() ? "-" : "|-") + name;
            for (const std::string& name : option->get_lnames())
                names += (names.empty() ? "--" : "|--") + name;
            if (auto kind = FileKinds().find(key); kind != FileKinds().end())
                values << "        " << names << ") _vantorel_files '" << kind->second << "'; return ;;\n";
            else if (auto list = ValueLists().find(key); list != ValueLists().end())
                values << "        " << names << ") COMPREPLY=($(compgen -W '" << list->second
                       << "' -- \"$cur\")); return ;;\n";
            else
                values << "        " << names << ") return ;;\n";
        }
    };
    collect(app);
    for (const CLI::App* sub : app.get_subcommands({}))
        collect(*sub);

    script << "# bash completion for vantorel, made by vantorel itself (" << VersionText() << ")\n";
    script << "_vantorel_files() {\n"
              "    local restore\n"
              "    restore=$(shopt -p extglob)\n"
              "    shopt -s extglob\n"
              "    COMPREPLY=($(compgen -d -- \"$cur\") $(compgen -f -X \"!*.@($1)\" -- \"$cur\"))\n"
              "    eval \"$restore\"\n"
              "    compopt -o filenames 2>/dev/null\n"
              "}\n\n";
    script << "_vantorel() {\n"
              "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} sub= i\n"
              "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
              "        case ${COMP_WORDS[i]} in\n"
              "        --module|--codepage) ((i++)) ;;\n"
              "        " << [&] {
                  std::string alternatives;
                  for (const std::string& name : subcommands)
                      alternatives += (alternatives.empty() ? "" : "|") + name;
                  return alternatives;
              }() << ") sub=${COMP_WORDS[i]}; break ;;\n"
              "        esac\n"
              "    done\n"
              "    case $prev in\n"
           << values.str()
           << "    esac\n"
              "    if [[ $cur == -* ]]; then\n"
              "        case $sub in\n";
    for (const CLI::App* sub : app.get_subcommands({}))
        script << "        " << sub->get_name() << ") COMPREPLY=($(compgen -W '" << Words(LongNames(*sub)) << " "
               << Words(LongNames(app)) << "' -- \"$cur\")) ;;\n";
    script << "        *) COMPREPLY=($(compgen -W '" << Words(LongNames(app)) << "' -- \"$cur\")) ;;\n"
              "        esac\n"
              "        return\n"
              "    fi\n"
              "    case $sub in\n"
              "    '') COMPREPLY=($(compgen -W '"
           << Words(subcommands) << "' -- \"$cur\")) ;;\n";
    for (const CLI::App* sub : app.get_subcommands({})) {
        if (auto kind = FileKinds().find(sub->get_name()); kind != FileKinds().end())
            script << "    " << sub->get_name() << ") _vantorel_files '" << kind->second << "' ;;\n";
    }
    script << "    help) COMPREPLY=($(compgen -W '" << Words(subcommands) << "' -- \"$cur\")) ;;\n"
              "    esac\n"
              "}\n"
              "complete -F _vantorel vantorel\n";
    return script.str();
}

} // namespace hostapp
