// murven-password: prints the stored form of a start-up password, as the
// installation writes it into the value "Type" of the machine key.
#include "core/StartupPassword.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

#include <termios.h>
#include <unistd.h>

namespace {

const char kHelp[] =
    "Usage: murven-password [PASSWORD]\n"
    "\n"
    "Prints the stored (scrambled) form of the start-up password on one line.\n"
    "Without PASSWORD the password is read from the first line of standard\n"
    "input (for example: murven-password < file, or typed after the prompt),\n"
    "which keeps it out of the process list and the shell history; a\n"
    "password given on the command line can be seen by other users.\n"
    "Write the stored form as the string value \"Type\" of the key\n"
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
    const bool help = args.size() == 1 && (args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h"));
    if (args.size() > 1 || help) {
        std::fputs(kHelp, help ? stdout : stderr);
        return help ? 0 : 2;
    }
    QString plain;
    if (args.isEmpty()) {
        // Typed at a terminal: asked for, and not shown on the screen.
        termios saved {};
        const bool typed = isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &saved) == 0;
        if (typed) {
            termios quiet = saved;
            quiet.c_lflag &= ~tcflag_t(ECHO);
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
            std::fputs("Password: ", stderr);
        }
        QTextStream in(stdin);
        plain = in.readLine();
        if (typed) {
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
            std::fputs("\n", stderr);
        }
        if (plain.endsWith(QLatin1Char('\r'))) // a line written on Windows
            plain.chop(1);
    } else {
        plain = args.first();
    }
    if (plain.isEmpty() || plain.size() > 16 || !IsStorablePassword(plain)) {
        std::fputs("murven-password: the password must have 1 to 16 characters and none of + - * /\n", stderr);
        return 1;
    }
    std::printf("%s\n", qPrintable(ScramblePassword(plain)));
    return 0;
}
