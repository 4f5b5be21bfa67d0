#pragma once

// Finding an installed Chromium-family browser when engine.ini names none (or says
// "auto"), for machines that have no browser of ours beside the client.

#include <functional>
#include <string>
#include <vector>

namespace engine {

// The places tried, in this order: Chromium, then Google Chrome, then Microsoft Edge, each
// per user (%LOCALAPPDATA%) before per machine (%ProgramFiles%, then %ProgramFiles(x86)%);
// then the registry's App Paths entries for chrome.exe and msedge.exe, the current user's
// before the machine's.
std::vector<std::wstring> DefaultBrowserCandidates();

// The first candidate that is an existing file; empty when there is none.
std::wstring FirstExistingFile(const std::vector<std::wstring>& candidates);

// The browser to start for an engine.ini value: the value itself when it names one,
// otherwise the first installed browser of the candidates; empty when none is found.
std::wstring ResolveBrowser(const std::wstring& configured);

// Replaces where the candidates come from (tests); none goes back to the default list.
using CandidateSource = std::function<std::vector<std::wstring>()>;
void SetBrowserCandidateSource(CandidateSource source);

}  // namespace engine
