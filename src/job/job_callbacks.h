// What the user interface does with the worker's progress. Every method runs
// on the UI thread (through the UiDispatcher) while the worker waits, so it
// may read all of the worker's fields.
#pragma once

namespace tenrovel::job {

class TMyThread;

class JobCallbacks {
 public:
  // Before the first prefecture: the progress maximum is
  // `worker.Fields().PrefCount`.
  virtual void OnInitProgress(TMyThread& worker) = 0;
  // Before each prefecture's source is called.
  virtual void OnStepProgress(TMyThread& worker) = 0;
  // After each item of a source, and once for a prefecture without items.
  virtual void OnShowItemStatus(TMyThread& worker) = 0;
  // The worker's last act: `JobRunning` is false, the output file is closed
  // and the temporary file removed. The worker still waits here, so it must
  // not be joined from inside this call.
  virtual void OnFinishJob(TMyThread& worker) = 0;

 protected:
  ~JobCallbacks() = default;
};

}  // namespace tenrovel::job
