#pragma once
// The --batch form of import and roundtrip: many documents, each run by a
// worker process (norvane batch-worker), a progress line per document on the
// error output as it starts, then the summary table in input order.

#include "Command.h"
#include "DocumentRun.h"

#include <string>
#include <vector>

class CommandContext;

// --jobs, --timeout, --expect-failure: what both batch commands take.
std::vector<CommandOption> batchOptions();
// --mtlx-version V: the MaterialX version an export writes (export and roundtrip).
CommandOption mtlxVersionOption();
// The option's value ("" when not given); false, with a usage error, for a version the export cannot write.
bool parseMtlxVersion(const CommandArguments& args, std::string& version, CommandContext& context);
// False, with a usage error, when a batch option is given to a single run.
bool onlyWithBatch(CommandContext& context, const CommandArguments& args);

// Documents from `inputs` (files as given, folders by their *.mtlx in name
// order); a round trip writes each into `outDir` under its own file name.
int runDocumentBatch(CommandContext& context, const CommandArguments& args, DocumentWork work,
                     const std::vector<std::string>& inputs, const std::string& outDir = {});

// The worker's side: one JSON request line in ({"input", "output"}), one
// JSON DocumentRun line out, until its input ends.
int serveDocumentBatch(CommandContext& context, DocumentWork work);
