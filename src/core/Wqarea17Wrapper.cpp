#include "core/Wqarea17Wrapper.h"

#include "core/DicFrame.h"
#include "platform/dic/store/DicText.h"

#include <cstring>
#include <iterator>
#include <vector>
#include <optional>
#include <string>

namespace {

constexpr int kNotLoaded = 103;

const char *const kEntries[] = {"wqarea_tel",        "wqarea_tel_one",        "wqarea_area", "wqarea_area_count",
                                "wqarea_area_fax",   "wqarea_area_count_fax", "pup_tel_mask"};

TDicLibrary &library()
{
    static TDicLibrary lib(
        QStringLiteral("Wqarea17.dll"),
        [] {
            QStringList names;
            for (const char *entry : kEntries)
                names << QString::fromLatin1(entry);
            return names;
        }(),
        101, 102, TDicLibrary::msProgramCaption);
    return lib;
}

std::optional<TWqarea17Functions> &injected()
{
    static std::optional<TWqarea17Functions> functions;
    return functions;
}

// The entry points in force for one call, with the use of the library the
// call holds (none for injected functions); nothing while the library is not
// loaded. The use lasts as long as the object: another thread's last Free
// waits for the call instead of unloading the library under it.
struct TFunctionsInForce {
    TDicLibrary::TCall call;
    std::optional<TWqarea17Functions> functions;
};

TFunctionsInForce functions()
{
    TFunctionsInForce result;
    if (injected()) {
        result.functions = injected();
        return result;
    }
    TDicLibrary::TCall call = library().Call();
    const std::vector<QFunctionPointer> &symbols = call.Symbols();
    if (symbols.size() != std::size(kEntries))
        return result;
    TWqarea17Functions f;
    f.Tel = reinterpret_cast<Twqarea_tel>(symbols[0]);
    f.TelOne = reinterpret_cast<Twqarea_tel_one>(symbols[1]);
    f.Area = reinterpret_cast<Twqarea_area>(symbols[2]);
    f.AreaCount = reinterpret_cast<Twqarea_area_count>(symbols[3]);
    f.AreaFax = reinterpret_cast<Twqarea_area_fax>(symbols[4]);
    f.AreaCountFax = reinterpret_cast<Twqarea_area_count_fax>(symbols[5]);
    f.TelMask = reinterpret_cast<Tpup_tel_mask>(symbols[6]);
    return TFunctionsInForce{std::move(call), f};
}

// A folder field read as text, trimmed, ending with '/', written back; the
// text is cut at a character boundary when the delimiter would not fit.
void fixFolder(char (&Field)[256])
{
    std::string folder(DicField(Field, sizeof Field));
    if (!folder.empty() && folder.back() != '/') {
        folder = std::string(DicCutBytes(folder, sizeof Field - 2));
        folder += '/';
    }
    DicSetField(Field, sizeof Field, folder);
}

} // namespace

int LoadWqarea17(const QString &DllFolder)
{
    if (injected())
        return 0;
    return library().Load(DllFolder);
}

void FreeWqarea17()
{
    if (!injected())
        library().Free();
}

int CallWqareaTel(TTelSearchCondition &Request, void *Result, std::int32_t &Count)
{
    const TFunctionsInForce inForce = functions();
    const auto &f = inForce.functions;
    if (!f || f->Tel == nullptr)
        return kNotLoaded;
    fixFolder(Request.DataFolder);
    fixFolder(Request.DicFolder);
    std::memset(Result, 0, WqareaTelResultSize);
    Count = 0;
    return f->Tel(&Request, Result, &Count);
}

int CallWqareaTelOne(TTelSearchCondition &Request, TTelRecord &Result, std::int32_t Key)
{
    const TFunctionsInForce inForce = functions();
    const auto &f = inForce.functions;
    if (!f || f->TelOne == nullptr)
        return kNotLoaded;
    fixFolder(Request.DataFolder);
    fixFolder(Request.DicFolder);
    std::memset(&Result, 0, sizeof Result);
    return f->TelOne(0, &Request, &Result, Key);
}

int CallWqareaArea(TAreaSearchCondition &Condition, TAreaSearchHit *Page, std::int32_t &Count,
                   TAreaSearchPosition &Position, std::int32_t Limit, TAreaSearchCallback Callback)
{
    const TFunctionsInForce inForce = functions();
    const auto &f = inForce.functions;
    if (!f || f->Area == nullptr)
        return kNotLoaded;
    fixFolder(Condition.DataFolder);
    fixFolder(Condition.DicFolder);
    if (Page != nullptr && Condition.BlockSize > 0)
        std::memset(static_cast<void *>(Page), 0, static_cast<std::size_t>(Condition.BlockSize) * sizeof(TAreaSearchHit));
    Count = 0;
    return f->Area(&Condition, Page, &Count, &Position, Limit, Callback);
}

int CallWqareaAreaCount(TAreaSearchCondition &Condition, std::int32_t &Count, std::int32_t Limit,
                        TAreaSearchCallback Callback)
{
    const TFunctionsInForce inForce = functions();
    const auto &f = inForce.functions;
    if (!f || f->AreaCount == nullptr)
        return kNotLoaded;
    fixFolder(Condition.DataFolder);
    fixFolder(Condition.DicFolder);
    Count = 0;
    return f->AreaCount(&Condition, &Count, Limit, Callback);
}

void SetWqarea17ForTesting(const TWqarea17Functions *Functions)
{
    if (Functions != nullptr)
        injected() = *Functions;
    else
        injected().reset();
}
