#include "cli/help.h"

#include "cli/exit_status.h"
#include "cli/options.h"

namespace {

// The columns a text takes on a terminal: two for each unit past ASCII (the help's other
// characters are Chinese).
size_t Width(std::u16string_view text) {
    size_t width = 0;
    for (char16_t unit : text) width += unit < 0x80 ? 1 : 2;
    return width;
}

// "  head    text": the text from `column`, each of its lines; a head too wide for the column
// stands on a line of its own.
void AppendEntry(std::u16string_view head, std::u16string_view text, size_t column,
                 std::u16string* help) {
    std::u16string line(2, u' ');  // appended: gcc 12 warns falsely on u"  " + head
    line += head;
    if (Width(line) + 2 > column) {
        *help += line + u'\n';
        line.clear();
    }
    line.append(column - Width(line), u' ');
    *help += line;
    for (char16_t unit : text) {
        *help += unit;
        if (unit == u'\n')
            help->append(column, u' ');
    }
    *help += u'\n';
}

// "-o, --output=OUT" or "    --in-place": an option's names, with what stands for its value
// (`valueName`) when it takes one.
std::u16string OptionHead(const OptionForm& form, std::u16string_view valueName) {
    std::u16string head = form.shortName != 0 ? std::u16string{u'-', form.shortName, u',', u' '}
                                              : std::u16string(4, u' ');
    head += form.longName;
    if (form.value != OptionValue::kNone)
        head.append(1, u'=').append(valueName);
    return head;
}

}  // namespace

std::u16string HelpText(Language language, std::u16string_view program) {
    const auto say = [language](CliText text) { return std::u16string(TextIn(language, text)); };
    std::u16string help = Filled(say(CliText::kUsage), program) + u'\n';
    for (const CommandName& name : kCommandNames)
        AppendEntry(name.word, say(name.about), 12, &help);
    help += u'\n';
    for (const OptionForm& form : kOptionForms) {
        if (form.commands != 0)
            AppendEntry(OptionHead(form, say(form.valueName)), say(form.about), 26, &help);
    }
    AppendEntry(u"    --", say(CliText::kAboutEndOfOptions), 26, &help);
    help.append(1, u'\n').append(say(CliText::kHelpNotes)).append(say(CliText::kExitStatusHeading));
    help += u'\n';
    for (const ExitStatusRow& row : kExitStatuses) {
        AppendEntry(ExitStatusText(row.status), Filled(say(row.meaning), EndingSignalStatuses()), 9,
                    &help);
    }
    return help;
}
