#pragma once
// The summary of a batch: a row per document in input order, a total, then
// what failed with its first messages; and the batch's exit status.

#include "DocumentRun.h"

#include <iosfwd>
#include <string>
#include <vector>

// Documents that are meant to fail (made to show problems), by file name with
// or without ".mtlx". With none given, every failure counts.
class FailureExpectations
{
  public:
    FailureExpectations() = default;
    explicit FailureExpectations(std::vector<std::string> names) :
        names_(std::move(names)) {}

    bool any() const { return !names_.empty(); }
    bool expects(const std::string& document) const;
    // The names that match none of the documents: most likely misspelt.
    std::vector<std::string> unmatched(const std::vector<std::string>& documents) const;

  private:
    std::vector<std::string> names_;
};

enum class Verdict
{
    Ok,
    Failed,
    ExpectedFailure,
    UnexpectedlyOk
};

// A crash or a time-out is never what a document is expected to do.
Verdict verdict(const DocumentRun& run, const FailureExpectations& expectations);

void printBatchTable(const std::vector<DocumentRun>& runs, const FailureExpectations& expectations, std::ostream& out);

// 0 when every document did what was expected of it, else 1.
int batchStatus(const std::vector<DocumentRun>& runs, const FailureExpectations& expectations);
