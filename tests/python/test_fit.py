"""slugwell.fit against "slugwell fit": the same report and fitted values."""
import numpy as np
import pytest
import slugwell
from conftest import SOURCE

INPUT = SOURCE / "examples" / "input.txt"
DATA = SOURCE / "examples" / "fit_heads.csv"


def same_report(folder, kwargs):
    """Fits through Python as the command line did in folder; checks that
    the report is its fit.txt (less the wall time, and the command line
    that a failed fit's report names)."""
    well, _ = slugwell.Well.from_file(INPUT)
    obs = np.loadtxt(DATA, delimiter=",", skiprows=3)
    result = slugwell.fit(well, obs[:, 0], obs[:, 1], **kwargs)
    title = INPUT.read_text().splitlines()[0][:70].rstrip()
    ours = result.report(input_path=str(INPUT), data_path=str(DATA), title=title)
    report = (folder / "fit.txt").read_text()
    assert ours.splitlines() == [line for line in report.splitlines()
                                  if "wall time:" not in line and not line.startswith("  command:")]
    return well, obs, result


@pytest.mark.parametrize("args, kwargs", [
    ((), {}),
    (("--params", "kr", "--bound", "kr=1e-5,1e-3"), dict(params=("kr",), bounds={"kr": (1e-5, 1e-3)})),
    (("--params", "kr", "--classic"), dict(params=("kr",), accurate=False)),
], ids=["kr-ss", "kr-bounded", "kr-classic"])
def test_fit_equals_command_line_fit(args, kwargs, cli):
    folder = cli("fit", INPUT, DATA, "--csv", "fit.csv", *args)
    csv = np.loadtxt(folder / "fit.csv", delimiter=",", skiprows=1)
    well, obs, result = same_report(folder, kwargs)
    assert result.converged and np.array_equal(result.fitted, csv[:, 2])
    assert result.well.kr == result.estimates["kr"]
    # The fitted values are (H/Ho - observed) + observed, two roundings at
    # the size of the observations (< 1). Classic: the well's classic head
    # within 1e-15. Accurate: the fit inverts at a lower order, refined to
    # an estimate below 1e-6 of the largest head (measured: 2e-8).
    accurate = kwargs.get("accurate", True)
    head = result.well.head(obs[:, 0], accurate=accurate)
    assert np.allclose(head * well.ho, result.fitted, rtol=0, atol=1e-6 * well.ho if accurate else 1e-15)


def test_fit_that_fails_reports_nothing_it_has_not_reached(cli):
    _, _, result = same_report(cli("fit", INPUT, DATA, "--max-iter", "1", status=1), dict(max_iterations=1))
    assert not result.converged and result.message.startswith("no convergence within 1 iterations")
    assert result.estimates == {} and result.ci95 == {} and result.well is None and np.isnan(result.rmse)
