"""The release a user downloads: scripts/release makes the zip and says its
SHA-256; unzipped into a folder whose name has Chinese characters and a
blank, Pennora.exe starts from there, shows its main window and keeps its
files in that folder."""
import hashlib
import os
import re
import shutil
import subprocess

import harness
from harness import Pennora

SOURCE_DIR = os.environ["PENNORA_SOURCE_DIR"]
EDITOR_PAGE = 1


def make_release():
    """Runs scripts/release into a folder of the test run; (zip path, SHA-256 it printed)."""
    dist = os.path.join(harness.RUN_DIR, "e2e", "release-dist")
    shutil.rmtree(dist, ignore_errors=True)
    result = subprocess.run(["bash", os.path.join(SOURCE_DIR, "scripts", "release")], cwd=SOURCE_DIR,
                            env={**os.environ, "PENNORA_DIST_DIR": dist}, capture_output=True, text=True, timeout=1200)
    assert result.returncode == 0, result.stdout + result.stderr
    lines = result.stdout.strip().splitlines()
    digest = re.fullmatch(r"SHA-256: ([0-9a-f]{64})", lines[-1])
    assert digest, result.stdout
    return lines[-2], digest.group(1)


def test_the_release_unzipped_into_a_chinese_folder_name_starts():
    zip_path, digest = make_release()
    with open(os.path.join(SOURCE_DIR, "src", "ui", "Version.h")) as header:
        version = ".".join(re.findall(r"#define PENNORA_VERSION_(?:MAJOR|MINOR) (\d+)", header.read()))
    assert os.path.basename(zip_path) == f"Pennora-{version}-win64.zip", zip_path
    with open(zip_path, "rb") as archive:
        assert hashlib.sha256(archive.read()).hexdigest() == digest

    app = Pennora("发布 测试")
    for name in os.listdir(app.folder):
        os.remove(app.path(name))
    subprocess.run(["unzip", "-q", zip_path, "-d", app.folder], check=True)
    assert sorted(os.listdir(app.folder)) == ["Pennora.chm", "Pennora.exe", "说明.txt"]
    with open(app.path("说明.txt"), "rb") as file:
        readme = file.read()
    assert readme.startswith(b"\xef\xbb\xbf") and b"\r\n" in readme
    for word in ("Pennora.exe", "Pennora.Dat", "Pennora.Ini", "Backup"):
        assert word in readme.decode("utf-8"), word

    app.start()
    app.wait_for_main_window()
    harness.screenshot("release_started")
    assert app.page() == EDITOR_PAGE, "a first start, without a data file"
    app.click_strip_image("close")
    assert app.wait_for_exit() == 0
    assert os.path.exists(app.path("Pennora.Ini")), "the settings are written beside the exe"


harness.run([test_the_release_unzipped_into_a_chinese_folder_name_starts])
