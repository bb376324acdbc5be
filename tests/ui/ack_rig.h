// The copies dialog's surroundings in tests: the configuration, the context store and the log kept in
// memory, a coder's error list and a job.
#pragma once

#include <string>
#include <string_view>

#include "support/coder_fakes.h"
#include "ui/ackdialogform.h"

inline const std::u16string kAckConfigKey = u"Software\\Kavrel\\Client\\Config";

// A dialog's surroundings: the configuration, the context store and the log.
struct TAckRig {
  TMemoryStore store;
  TMemoryContextHost host;
  TMemoryLog log;
  TWideStringArray errors;
  _JOBINFO job;

  TAckRequest Request(TContext& context, std::string_view initial = "CN", bool withErrors = false,
                      bool withJob = false) {
    TAckRequest r;
    r.ConfigKey = kAckConfigKey;
    r.DocId = TDocIdClass::CreateFromText("SF01");
    r.DocTypeName = u"Счёт-фактура";
    r.Title = u"Tevoran-Клиент";
    r.InitialAnswer = std::string(initial);
    r.Log = log;
    r.CodeMode = kCodeModePrint;
    r.Context = &context;
    r.Errors = withErrors ? &errors : nullptr;
    r.JobInfo = withJob ? &job : nullptr;
    return r;
  }
  std::u16string ContextValue(std::u16string_view name) {
    const auto it = host.Values.find({u"P1", std::u16string(name)});
    return it == host.Values.end() ? u"<missing>" : it->second;
  }
};

