// A hyphenation library that loads but lacks its entry point, for the
// wrapper's entry-point error.
extern "C" __attribute__((visibility("default"))) int GetHyphenMissing()
{
    return 0;
}
