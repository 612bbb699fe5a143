// Keeps the library non-empty while its first sources are written.
namespace {}
