// murven-password: prints the stored form of a start-up password, as the
// installation writes it into the value "Type" of the machine key.
#include "core/StartupPassword.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

const char kHelp[] =
    "Usage: murven-password PASSWORD\n"
    "\n"
    "Prints the stored (scrambled) form of the start-up password PASSWORD on\n"
    "one line. Write it as the string value \"Type\" of the key\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Qor\\Murven\\19.0] in the machine registry\n"
    "file (Murven19.reg in the program folder); the program then asks for the\n"
    "password at every start. An empty \"Type\" value means no password.\n"
    "The password may not contain \"+\", \"-\", \"*\" or \"/\" and has at most\n"
    "16 characters.\n";

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 1 || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
        std::fputs(kHelp, args.size() == 1 ? stdout : stderr);
        return args.size() == 1 ? 0 : 2;
    }
    const QString plain = args.first();
    if (plain.isEmpty() || plain.size() > 16 || !IsStorablePassword(plain)) {
        std::fputs("murven-password: the password must have 1 to 16 characters and none of + - * /\n", stderr);
        return 1;
    }
    std::printf("%s\n", qPrintable(ScramblePassword(plain)));
    return 0;
}
