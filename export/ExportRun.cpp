#include "export/ExportRun.h"

namespace exportrun {

void Run(TExportWindow&) {}

}  // namespace exportrun
