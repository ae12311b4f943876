// What long import work tells its front end as it goes (how far it is) and asks of it
// (whether to go on), on the thread that does the work.
#pragma once

namespace importer {

enum class WorkStage {
  reading,    // worksheet rows into the table
  comparing,  // table rows against the earlier ones, for repeats
  importing,  // table rows into the bank
};

class WorkReport {
 public:
  virtual ~WorkReport() = default;
  // `done` of `total` rows of the stage are through; called after every row, so an
  // implementation that draws keeps its own pace.
  virtual void progress(WorkStage stage, int done, int total) {}
  // False once the front end wants the work to stop; it stops before the next row.
  virtual bool keepGoing() { return true; }
};

}  // namespace importer
