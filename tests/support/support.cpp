// Anchor of the fixture library; the builders live in their own files beside it.
namespace morvane::test {
int SupportVersion() { return 1; }
} // namespace morvane::test
