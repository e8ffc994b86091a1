#include "cli/command_line.h"

#include "cli/cli_text.h"
#include "common/message_ids.h"

#include <string_view>

namespace cli {

namespace {

// NAME=VALUE; the name must not be empty, the value may be (an empty DstName or path).
std::pair<std::string, std::string> SplitAssignment(std::string_view word) {
    const std::size_t eq = word.find('=');
    if (eq == std::string_view::npos || eq == 0) {
        throw CUsageError(
            Say("--set expects NAME=VALUE, got: ", "--set には NAME=VALUE を指定してください: ") +
            std::string(word));
    }
    return {std::string(word.substr(0, eq)), std::string(word.substr(eq + 1))};
}

// A word of at most `digits` decimal digits as a number; -1 for anything else.
int WholeNumber(std::string_view word, std::size_t digits) {
    if (word.empty() || word.size() > digits) {
        return -1;
    }
    int number = 0;
    for (const char c : word) {
        if (c < '0' || c > '9') {
            return -1;
        }
        number = number * 10 + (c - '0');
    }
    return number;
}

// The N of --jobs N: a whole number from 1 to kMaxJobs.
int ParseJobs(std::string_view word) {
    const int jobs = WholeNumber(word, 3);
    if (jobs < 1 || jobs > kMaxJobs) {
        throw CUsageError(Say("--jobs expects a number of threads from 1 to " +
                                  std::to_string(kMaxJobs) + ", got: ",
                              "--jobs にはスレッド数 (1 から " + std::to_string(kMaxJobs) +
                                  ") を指定してください: ") +
                          std::string(word));
    }
    return jobs;
}

// The K of --frame K: an output frame number from 1 on.
int ParseFrame(std::string_view word) {
    const int frame = WholeNumber(word, 9);
    if (frame < 1) {
        throw CUsageError(my::FormatMessage(IDS_CLI_FRAME_INVALID, std::vector{std::string(word)}));
    }
    return frame;
}

// The word after an option that needs one.
const std::string& ValueOf(const std::vector<std::string>& args, std::size_t& i,
                           std::uint32_t missing) {
    if (i + 1 == args.size()) {
        throw CUsageError(std::string(my::MessageText(missing)));
    }
    return args[++i];
}

} // namespace

COptions ParseCommandLine(const std::vector<std::string>& args) {
    COptions options;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (optionsEnded || word.empty() || word[0] != '-' || word == "-") {
            positional.push_back(word);
        } else if (word == "--") {
            optionsEnded = true;
        } else if (word == "--set") {
            if (i + 1 == args.size()) {
                throw CUsageError(
                    Say("--set needs NAME=VALUE", "--set の後に NAME=VALUE がありません"));
            }
            options.m_sets.push_back(SplitAssignment(args[++i]));
        } else if (word.starts_with("--set=")) {
            options.m_sets.push_back(SplitAssignment(std::string_view(word).substr(6)));
        } else if (word == "--jobs" || word == "-j") {
            if (i + 1 == args.size()) {
                throw CUsageError(Say(word + " needs a number of threads",
                                      word + " の後にスレッド数がありません"));
            }
            options.m_jobs = ParseJobs(args[++i]);
        } else if (word.starts_with("--jobs=")) {
            options.m_jobs = ParseJobs(std::string_view(word).substr(7));
        } else if (word.starts_with("-j")) {
            options.m_jobs = ParseJobs(std::string_view(word).substr(2));
        } else if (word == "--overwrite") {
            options.m_overwrite = true;
        } else if (word == "--quiet" || word == "-q") {
            options.m_quiet = true;
        } else if (word == "--help" || word == "-h") {
            options.m_help = true;
        } else if (word == "--version") {
            options.m_version = true;
        } else if (word == "--check") {
            options.m_check = true;
        } else if (word == "--json") {
            options.m_json = true;
        } else if (word == "--frame") {
            options.m_frame = ParseFrame(ValueOf(args, i, IDS_CLI_FRAME_MISSING));
        } else if (word.starts_with("--frame=")) {
            options.m_frame = ParseFrame(std::string_view(word).substr(8));
        } else if (word == "--output") {
            options.m_output = ValueOf(args, i, IDS_CLI_OUTPUT_MISSING);
        } else if (word.starts_with("--output=")) {
            options.m_output = word.substr(9);
        } else {
            throw CUsageError(Say("unknown option: ", "不明なオプションです: ") + word);
        }
    }
    if (options.m_help || options.m_version) {
        return options;
    }
    if (options.m_json && !options.m_check) {
        throw CUsageError(
            Say("--json is given with --check only", "--json は --check と一緒に指定してください"));
    }
    if ((options.m_frame > 0) != !options.m_output.empty()) {
        throw CUsageError(std::string(my::MessageText(IDS_CLI_FRAME_NEEDS_OUTPUT)));
    }
    if (options.m_frame > 0 && options.m_check) {
        throw CUsageError(std::string(my::MessageText(IDS_CLI_FRAME_WITH_CHECK)));
    }
    if (positional.empty()) {
        throw CUsageError(Say("no project file given", "プロジェクトファイルが指定されていません"));
    }
    if (positional.size() > 1) {
        std::string list;
        for (const std::string& p : positional) {
            list += "\n  " + p;
        }
        throw CUsageError(Say("only one project file can be given:",
                              "プロジェクトファイルは 1 つだけ指定してください:") +
                          list);
    }
    options.m_project = positional.front();
    return options;
}

std::string UsageText() {
    return Say("Usage: morvane-cli [--set NAME=VALUE]... [--jobs N] [--overwrite] [--quiet] "
               "PROJECT\n"
               "       morvane-cli [--set NAME=VALUE]... --check [--json] PROJECT\n"
               "Generates the animation described by the project file PROJECT (.mrva).\n"
               "\n"
               "  --set NAME=VALUE  change one field of the project's Task before generating; NAME "
               "is\n"
               "                    the element name (InterFrameCount, DstFormat, DstFolder, "
               "...),\n"
               "                    VALUE its text in the project file (Flags=AutoTrim|BkColor,\n"
               "                    BkColor=1,1,1,0,1, PhaseBraces.first=[); relative paths are\n"
               "                    taken from the current folder\n"
               "  --jobs N, -j N    make N frames at once on N threads (default: one per hardware\n"
               "                    thread); the files are the same for every N\n"
               "  --overwrite       replace existing output files without asking\n"
               "  --quiet           no progress bar and no list of written files\n"
               "  --check           generate nothing: read START and END and list every "
               "difference\n"
               "                    that keeps them from being animated\n"
               "  --json            with --check, print the list as a JSON array\n"
               "  --help            show this text\n"
               "  --version         show the version\n"
               "\n"
               "Exit status: 0 done, 1 the project could not be read or the generation failed,\n"
               "2 usage error, 4 existing output files were not overwritten, 130 interrupted by\n"
               "Ctrl-C (143 by SIGTERM, 129 by SIGHUP).\n"
               "With --check: 0 START and END can be animated, 1 they cannot (or a file could not "
               "be\n"
               "read).\n",
               "使い方: morvane-cli [--set NAME=VALUE]... [--jobs N] [--overwrite] [--quiet] "
               "PROJECT\n"
               "       morvane-cli [--set NAME=VALUE]... --check [--json] PROJECT\n"
               "プロジェクトファイル PROJECT (.mrva) のアニメーションを生成します。\n"
               "\n"
               "  --set NAME=VALUE  生成の前にプロジェクトの Task の項目を変更します。NAME "
               "は要素名\n"
               "                    (InterFrameCount、DstFormat、DstFolder など)、VALUE "
               "はプロジェクト\n"
               "                    ファイルでの表記です "
               "(Flags=AutoTrim|BkColor、BkColor=1,1,1,0,1、\n"
               "                    "
               "PhaseBraces.first=[)。相対パスは現在のフォルダーから解釈します\n"
               "  --jobs N, -j N    N 個のスレッドで N フレームずつ同時に作成します (既定: "
               "ハードウェア\n"
               "                    スレッドの数)。どの N でも同じファイルになります\n"
               "  --overwrite       既存の出力ファイルを確認せずに上書きします\n"
               "  --quiet           進行状況と書き出したファイルの一覧を表示しません\n"
               "  --check           "
               "何も生成せず、開始画像と終了画像を読み込んで、アニメーションを\n"
               "                    作れない相違をすべて表示します\n"
               "  --json            --check の結果を JSON の配列で出力します\n"
               "  --help            この説明を表示します\n"
               "  --version         バージョンを表示します\n"
               "\n"
               "終了コード: 0 完了、1 プロジェクトの読み込みまたは生成の失敗、2 使い方の誤り、\n"
               "4 既存の出力ファイルを上書きしなかった、130 Ctrl-C による中断 (SIGTERM では 143、\n"
               "SIGHUP では 129)。\n"
               "--check の終了コード: 0 アニメーションを作れる、1 作れない "
               "(またはファイルを読み込めな\n"
               "かった)。\n") +
           "\n" + std::string(my::MessageText(IDS_CLI_FRAME_USAGE)) + "\n";
}

std::string UsageHint() {
    return Say("Try 'morvane-cli --help'.", "'morvane-cli --help' で使い方を表示します。");
}

} // namespace cli
