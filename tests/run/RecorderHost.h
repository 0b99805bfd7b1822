#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "core/run/RunHost.h"

namespace brindle::test
{

/// A host that records what the engine shows and answers its questions from a script.
class RecorderHost : public IRunHost
{
public:
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<std::string> log;
    std::vector<std::string> folders;
    std::vector<RunStats> progress;
    /// Answers to the questions, in order; when they run out, defaultAnswer.
    std::deque<bool> answers;
    bool defaultAnswer = true;
    /// Asked before every entry; cancels when it returns true.
    std::function<bool()> cancelWhen;
    int started = 0;
    int finished = 0;
    int undoStartedCount = 0;
    int undoFinishedCount = 0;
    int resultNodes = 0;
    RunResult lastResult;
    UndoResult lastUndo;

    void showMessage(std::string_view text) override { messages.emplace_back(text); }
    bool askYesNo(std::string_view text, Question) override
    {
        questions.emplace_back(text);
        if (answers.empty())
            return defaultAnswer;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    void logLine(std::string_view line) override { log.emplace_back(line); }
    void runStarted(const RunOptions&) override { ++started; }
    void showCurrentFolder(std::string_view folder) override { folders.emplace_back(folder); }
    void updateProgress(const RunStats& stats) override { progress.push_back(stats); }
    bool cancelRequested() override { return cancelWhen && cancelWhen(); }
    void resultNodeAdded(const ResultTree&, std::int32_t) override { ++resultNodes; }
    void runFinished(const RunResult& result, const RunStats&, const ResultTree*) override
    {
        ++finished;
        lastResult = result;
    }
    void undoStarted() override { ++undoStartedCount; }
    void undoFinished(const UndoResult& result) override
    {
        ++undoFinishedCount;
        lastUndo = result;
    }
};

} // namespace brindle::test
