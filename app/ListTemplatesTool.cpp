// murven-listtemplates: turns the authored list-print templates (UTF-8 text
// in the template file's own form) into Common/LstPrint.tpl, the Shift-JIS
// file the list-print window shows under "オリジナル". Refuses a text the
// window would not take whole, naming why.
#include "exchange/ListPrtLayout.h"
#include "platform/Cp932.h"
#include "platform/Utf8.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <optional>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 2) {
        std::fputs("Usage: murven-listtemplates TEMPLATES.txt LstPrint.tpl\n", stderr);
        return 2;
    }
    QFile in(args.at(0));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "murven-listtemplates: cannot read %s\n", qPrintable(args.at(0)));
        return 1;
    }
    const std::optional<QString> text = Utf8::decode(in.readAll(), Utf8::TEnd::Whole);
    if (!text || !Cp932::canEncode(*text)) {
        std::fprintf(stderr, "%s: not a UTF-8 text of characters Shift-JIS holds\n", qPrintable(args.at(0)));
        return 1;
    }
    TListPrintTemplates templates;
    int notWhole = 0;
    if (ReadTemplateBytes(Cp932::encode(*text), templates, &notWhole) != TTemplateRead::Read || notWhole > 0 ||
        templates.empty()) {
        std::fprintf(stderr, "%s: %d template(s) the window would not take whole (at most %d, each name at most %d "
                             "characters, every column an item once)\n",
                     qPrintable(args.at(0)), notWhole, ListPrintMaxTemplates, ListPrintTemplateNameMax);
        return 1;
    }
    QString error;
    if (!WriteTemplateFile(args.at(1), templates, &error)) {
        std::fprintf(stderr, "murven-listtemplates: cannot write %s: %s\n", qPrintable(args.at(1)), qPrintable(error));
        return 1;
    }
    return 0;
}
