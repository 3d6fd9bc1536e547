#!/usr/bin/python3
"""The program as a Linux user installs it: `cmake --install` into a prefix, and the Debian package.

    install_check.py tree BUILD SOURCE WORK   install into WORK/prefix and use it from elsewhere
    install_check.py deb BUILD SOURCE WORK    make the package with cpack, look inside it, unpack it and use it

Prints what failed and exits 1, or exits 0.
"""
import os
import re
import shutil
import stat
import subprocess
import sys
import tempfile

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what)


def run(args, **kwargs):
    kwargs.setdefault("capture_output", True)
    kwargs.setdefault("text", True)
    env = dict(os.environ, LC_ALL="C")
    env.update(kwargs.pop("env", {}))
    return subprocess.run(args, env=env, **kwargs)


def uses_the_program(exe, share, build, work, dwg_samples):
    """The installed program, run from a folder of its own: version, a report, a DWG."""
    version = run([exe, "--version"], cwd=work)
    check(version.returncode == 0 and version.stdout.startswith("vantorel 0.1"), f"--version: {version.stdout!r}")
    example = os.path.join(share, "vantorel", "examples")
    arguments = ["report", os.path.join(example, "office.dxf"), "--catalog", os.path.join(example, "office.prc")]
    installed = run([exe] + arguments, cwd=work)
    built = run([os.path.join(build, "bin", "vantorel")] + arguments, cwd=work)
    check(installed.returncode == 0, f"report: {installed.stderr}")
    check(installed.stdout == built.stdout and "Summary:" in installed.stdout, f"report: {installed.stdout!r}")
    dwg = run([exe, "blocks", os.path.join(dwg_samples, "example_2018.dwg")], cwd=work)
    check(dwg.returncode == 0 and "CIRKLO_PUNKTOJ" in dwg.stdout, f"DWG: {dwg.stdout!r} {dwg.stderr!r}")


def manual_names_every_option(page_path, exe):
    page = open(page_path).read()
    check(page.startswith(".TH VANTOREL 1"), "manual page heading")
    if shutil.which("groff"):
        lint = run(["groff", "-man", "-ww", "-z", page_path])
        check(lint.returncode == 0 and lint.stderr == "", f"groff warns: {lint.stderr}")
    top = run([exe, "--help"]).stdout
    subcommands = re.findall(r"^  ([a-z-]+) ", top.split("Subcommands:")[1].split("\n\n")[0], re.M)
    check(len(subcommands) >= 8, f"subcommands in --help: {subcommands}")
    for sub in [None] + subcommands:
        text = run([exe, "help", sub] if sub else [exe, "--help"]).stdout
        if sub:
            check(f".SS {sub}\n" in page.replace("\\-", "-"), f"manual page has no section for {sub}")
        for option in set(re.findall(r"(?<![\w-])(--[a-z][a-z-]*)", text.split("Options:")[1] if "Options:" in text else "")):
            if option != "--help":
                check(option.replace("-", "\\-") in page, f"manual page lacks {option} ({sub or 'global'})")


def completion_answers(script, work):
    folder = os.path.join(work, "completing")
    os.makedirs(os.path.join(folder, "sub"), exist_ok=True)
    for name in ("plan.dxf", "old.dwg", "prices.prc", "prices.xlsx", "notes.txt"):
        open(os.path.join(folder, name), "w").close()

    def complete(*words):
        line = " ".join(f"'{w}'" for w in words)
        shell = f"source '{script}'; COMP_WORDS=({line}); COMP_CWORD={len(words) - 1}; _vantorel; " \
                'printf "%s\\n" "${COMPREPLY[@]}" | sort'
        return run(["bash", "-c", shell], cwd=folder).stdout.split()

    check(complete("vantorel", "rep") == ["report"], f"subcommand: {complete('vantorel', 'rep')}")
    check(complete("vantorel", "report", "") == ["old.dwg", "plan.dxf", "sub"], f"drawings: {complete('vantorel', 'report', '')}")
    check(complete("vantorel", "report", "plan.dxf", "--catalog", "") == ["prices.prc", "prices.xlsx", "sub"],
          "catalogue")
    check(complete("vantorel", "convert-catalog", "") == ["prices.prc", "prices.xlsx", "sub"], "convert-catalog files")
    check(complete("vantorel", "report", "--columns-by", "l") == ["layer", "layout"], "--columns-by values")
    check("utf-8" in complete("vantorel", "--codepage", ""), "--codepage values")
    check("--hide-prices" in complete("vantorel", "report", "--h"), f"report options: {complete('vantorel', 'report', '--h')}")
    check(complete("vantorel", "check-catalog", "") == ["notes.txt", "prices.prc", "sub"], "check-catalog files")


def settings_beside_a_read_only_module(exe, modules, work, example):
    """A module whose folder its user cannot write keeps its settings in $XDG_CONFIG_HOME/vantorel."""
    config = os.path.join(work, "config")
    os.makedirs(config, exist_ok=True)
    os.chmod(config, 0o777)
    session = os.path.join(work, "session.txt")
    with open(session, "w") as f:
        f.write(f"command KXBOMT\nclick Open\nfile {os.path.join(example, 'office.prc')}\nclick Close\n")
    os.chmod(session, 0o644)
    for name in ("filename.set", "vantorel1.set", "vantorel2.set"):
        if os.path.exists(os.path.join(modules, name)):
            os.remove(os.path.join(modules, name))
    mode = os.stat(modules).st_mode
    os.chmod(modules, mode & ~(stat.S_IWUSR | stat.S_IWGRP | stat.S_IWOTH))
    try:
        # Root writes everywhere: the user is then nobody, as an installed program's user would be someone.
        prefix = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] if os.geteuid() == 0 else []
        if prefix and run(prefix + ["true"]).returncode != 0:
            print("skipped the read-only module folder: this root cannot become another user")
            return
        # Nobody may not read the sources' leak suppressions: a sanitizer build looks for no leaks in this run.
        env = {"XDG_CONFIG_HOME": config, "HOME": work, "LSAN_OPTIONS": "",
               "ASAN_OPTIONS": os.environ.get("ASAN_OPTIONS", "") + ":detect_leaks=0"}
        done = run(prefix + [exe, "script", session], cwd=work, env=env)
        check(done.returncode == 0, f"script with a read-only module folder: {done.stdout} {done.stderr}")
    finally:
        os.chmod(modules, mode)
    kept = os.path.join(config, "vantorel", "filename.set")
    check(os.path.exists(kept), f"settings in {config}/vantorel: {os.listdir(config)}")
    if os.path.exists(kept):
        check(open(kept).read().strip().endswith("office.prc"), "the catalogue remembered")
    check(not os.path.exists(os.path.join(modules, "filename.set")), "nothing written beside the module")


def tree(build, source, work):
    # Under /tmp: the user the read-only case runs as must reach it, whatever the folders above the build are.
    work = tempfile.mkdtemp(prefix="vantorel-installed-")
    os.chmod(work, 0o755)
    try:
        install_and_use(build, source, work)
    finally:
        for folder, _, _ in os.walk(work):
            os.chmod(folder, 0o755)
        shutil.rmtree(work, ignore_errors=True)


def install_and_use(build, source, work):
    prefix = os.path.join(work, "prefix")
    done = run(["cmake", "--install", build, "--prefix", prefix])
    check(done.returncode == 0, f"cmake --install: {done.stderr}")
    exe = os.path.join(prefix, "bin", "vantorel")
    for path in ("bin/vantorel", "lib/vantorel/libvantorel.so", "lib/vantorel/dwg/dwg2dxf.mjs",
                 "lib/vantorel/dwg/dwg2dxf-libdxfrw.mjs", "share/man/man1/vantorel.1",
                 "share/bash-completion/completions/vantorel", "share/vantorel/examples/office.dxf"):
        check(os.path.exists(os.path.join(prefix, path)), f"installed {path}")
    uses_the_program(exe, os.path.join(prefix, "share"), build, work, os.path.join(source, "tests", "data", "dwg"))
    manual_names_every_option(os.path.join(prefix, "share/man/man1/vantorel.1"), exe)
    completion_answers(os.path.join(prefix, "share/bash-completion/completions/vantorel"), work)
    settings_beside_a_read_only_module(exe, os.path.join(prefix, "lib", "vantorel"), work,
                                       os.path.join(prefix, "share", "vantorel", "examples"))


def deb(build, source, work):
    packages = os.path.join(work, "packages")
    done = run(["cpack", "-G", "DEB", "--config", os.path.join(build, "CPackConfig.cmake"), "-B", packages])
    check(done.returncode == 0, f"cpack: {done.stdout[-2000:]} {done.stderr[-2000:]}")
    found = [f for f in os.listdir(packages) if f.endswith(".deb")] if os.path.isdir(packages) else []
    check(len(found) == 1, f"one package: {found}")
    if not found:
        return
    package = os.path.join(packages, found[0])
    contents = run(["dpkg-deb", "-c", package]).stdout
    for path in ("./usr/bin/vantorel", "./usr/lib/vantorel/libvantorel.so", "./usr/lib/vantorel/dwg/dwg2dxf.mjs",
                 "./usr/share/man/man1/vantorel.1", "./usr/share/bash-completion/completions/vantorel"):
        check(re.search(re.escape(path) + r"(\.gz)?$", contents, re.M) is not None, f"package holds {path}")
    depends = run(["dpkg-deb", "-f", package, "Depends"]).stdout
    for needed in ("nodejs", "libcairo2", "libpango-1.0-0", "libsdl2-2.0-0", "libxlsxwriter"):
        check(needed in depends, f"package depends on {needed}: {depends}")
    if shutil.which("lintian"):
        lint = run(["lintian", "--no-tag-display-limit", package])
        check(" E: " not in lint.stdout, f"lintian errors: {lint.stdout}")
    root = os.path.join(work, "root")
    done = run(["dpkg-deb", "-x", package, root])
    check(done.returncode == 0, f"dpkg-deb -x: {done.stderr}")
    uses_the_program(os.path.join(root, "usr", "bin", "vantorel"), os.path.join(root, "usr", "share"), build, work,
                     os.path.join(source, "tests", "data", "dwg"))


def main():
    which, build, source, work = sys.argv[1:5]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    os.chmod(work, 0o755)
    {"tree": tree, "deb": deb}[which](build, source, work)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
