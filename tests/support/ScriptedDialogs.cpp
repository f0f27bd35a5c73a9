#include "support/ScriptedDialogs.h"

namespace tarvo::test {

namespace {

template <typename T> T TakeFront(std::deque<T>& queue, T fallback) {
    if (queue.empty()) return fallback;
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
}

} // namespace

TMsgAnswer TScriptedDialogs::MessageBox(const std::string& text, TMsgTone tone,
                                        TMsgButtons buttons) {
    Messages.push_back({text, tone, buttons});
    if (WhileOpen) WhileOpen();
    return TakeFront(Answers, buttons == TMsgButtons::Ok ? TMsgAnswer::Ok : TMsgAnswer::Cancel);
}

std::string TScriptedDialogs::SelectFolder(const std::string& title, const std::string&) {
    FolderTitles.push_back(title);
    return TakeFront(Folders, std::string());
}

std::string TScriptedDialogs::OpenFile(const std::string& filter, const std::string& initialDir) {
    FileFilters.push_back(filter);
    FileInitialDirs.push_back(initialDir);
    return TakeFront(Files, std::string());
}

bool TScriptedDialogs::Progress(std::int64_t done, std::int64_t total) {
    ProgressSeen.emplace_back(done, total);
    if (WhileOpen) WhileOpen();
    return CancelAfter < 0 || static_cast<int>(ProgressSeen.size()) < CancelAfter;
}

} // namespace tarvo::test
