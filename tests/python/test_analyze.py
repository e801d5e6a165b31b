"""slugwell.analyze against "slugwell analyze": the same rows and table."""
import csv

import numpy as np
import slugwell
from conftest import DATA

FIELD = DATA / "field" / "dawsonville"
INPUT, OBSERVED = FIELD / "input.txt", FIELD / "observed.txt"


def cell(text, kind=float):
    return None if text == "" else kind(text)


def test_analyze_equals_command_line_analyze(cli):
    folder = cli("analyze", INPUT, OBSERVED, "--csv", "analyze.csv", "--range", "0.3,0.5")
    well, _ = slugwell.Well.from_file(INPUT)
    obs = np.loadtxt(OBSERVED, delimiter=",", skiprows=3)
    result = slugwell.analyze(well, obs[:, 0], obs[:, 1], range=(0.3, 0.5))
    with open(folder / "analyze.csv", newline="") as f:
        table = list(csv.DictReader(f))
    assert [r.method for r in result] == [t["method"] for t in table]
    # The CSV holds 17 significant digits, which give back the doubles: equal.
    for row, t in zip(result, table):
        assert row.ok == (t["status"] == "estimate")
        assert (row.k, row.ss, row.rmse) == (cell(t["K"]), cell(t["Ss"]), cell(t["RMSE"]))
        assert row.range == (None if t["H/Ho lower"] == "" else (float(t["H/Ho lower"]), float(t["H/Ho upper"])))
        assert (row.t_first, row.t_last, row.points) == (cell(t["t first"]), cell(t["t last"]), cell(t["points"], int))
        assert "; ".join(([row.error] if not row.ok else []) + row.notes) == t["notes"]
    title = INPUT.read_text().splitlines()[0][:70].rstrip()
    report = result.report(input_path=str(INPUT), data_path=str(OBSERVED), title=title)
    assert (folder / "stdout.txt").read_text().endswith("\n" + report)
