#include "app/FilesObj.h"
#include "cli/CliTool.h"
#include "platform/FileSys.h"

#include <ostream>

namespace tarvo::cli {

int RunList(const TListOptions& options, std::ostream& out, std::ostream& err) {
    try {
        if (!DirExists(options.Dir)) {
            ReportProblem(out, err, options.Dir, "is not a folder");
            return ExitFailed;
        }
        TFilesObj list;
        if (!ListFolder(list, options.Dir, !options.All, out, err)) return ExitFailed;
        for (const std::string& name : list.Names) {
            if (StopSignal() != 0) break;
            if (options.Null)
                out << name << '\0';
            else
                out << Printable(name) << '\n';
            out.flush();
        }
        return ExitOk;
    } catch (const std::exception& e) {
        ReportProblem(out, err, options.Dir, std::string("failed: ") + e.what());
        return ExitFailed;
    }
}

} // namespace tarvo::cli
