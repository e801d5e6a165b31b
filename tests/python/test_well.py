"""The Well of the Python module against the command line: the same values,
the same checks and messages, and the same values from several threads."""
import threading
import warnings

import numpy as np
import pytest
import slugwell
from conftest import DATA, EXAMPLES, SOURCE


@pytest.mark.parametrize("example", EXAMPLES, ids=lambda p: p.stem)
@pytest.mark.filterwarnings("ignore::RuntimeWarning")
def test_head_equals_command_line_csv(example, cli, capfd, tmp_path, monkeypatch):
    csv = np.loadtxt(cli(example, "--csv", "run.csv") / "run.csv", delimiter=",", skiprows=1, ndmin=2)
    capfd.readouterr()
    monkeypatch.chdir(tmp_path / "..")
    before = sorted(p.name for p in tmp_path.parent.iterdir())
    well, times = slugwell.Well.from_file(example)
    # Read quietly: nothing on the console, no file written.
    assert capfd.readouterr() == ("", "")
    assert sorted(p.name for p in tmp_path.parent.iterdir()) == before
    # The CSV's 17 digits give back the doubles: equal bit for bit.
    assert np.array_equal(times, csv[:, 0])
    assert np.array_equal(well.head(times, accurate=False), csv[:, 1])
    assert np.array_equal(well.drawdown(times, accurate=False), csv[:, 2])
    folder = cli(example, "--accurate", "--csv", "accurate.csv")
    accurate = np.loadtxt(folder / "accurate.csv", delimiter=",", skiprows=1, ndmin=2)
    notes = [line[len("slugwell: "):] for line in (folder / "stderr.txt").read_text().splitlines()
             if line.startswith("slugwell: H/Ho at time ")]
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        assert np.array_equal(well.head(times), accurate[:, 1])
    # The times whose error estimate is too large: the run's notes.
    assert [line for w in caught for line in str(w.message).splitlines()] == notes
    assert np.array_equal(well.drawdown(times), accurate[:, 2])


CONFINED = dict(bb=10.0, kr=2.5e-4, kz=2.5e-5, ss=1e-4, ho=0.5, rw=0.05, rc=0.05, zpd=0.0, zpl=10.0)


def confined(**changes):
    return slugwell.Well(**{**CONFINED, **changes})


@pytest.mark.parametrize("call, error, message", [
    (lambda: confined(kr=-1.0), ValueError,
     "KR = -1. (radial hydraulic conductivity, data line 2) must be greater than 0"),
    (lambda: confined(ho=0.0), ValueError, "HO = 0. (initial displacement, data line 4) must not be 0"),
    (lambda: confined(zpl=12.0), ValueError,
     "ZPL = 12. (depth of the screen bottom, data line 4) lies below the base of the aquifer (BB = 10.)"),
    (lambda: confined(ss=float("nan")), ValueError, "SS = NaN (specific storage, data line 2) is not a finite number"),
    (lambda: confined(sy=0.2), TypeError, "u1 is needed when sy is not 0"),
    (lambda: confined().replace(sy=0.2), TypeError, "u1, u2, u3 and u4 are needed with sy not 0"),
    (lambda: confined().replace(q=1.0), TypeError, "Well has no value 'q'"),
    (lambda: confined().head([1.0, 0.0], accurate=False), ValueError,
     "times[1] = 0.0 (output time) must be greater than 0"),
    (lambda: confined().head([np.inf], accurate=False), ValueError, "times[0] = inf (output time) is not a finite"),
    (lambda: confined().head([1.0], accurate=False, return_error=True), ValueError,
     "return_error=True needs accurate=True"),
    (lambda: confined().head([1.0], accurate=False, threads=0), ValueError, "threads = 0 must be at least 1"),
    (lambda: slugwell.Well.from_file(SOURCE / "no-such-file.txt"), FileNotFoundError, "No such file or directory"),
    (lambda: slugwell.Well.from_file(DATA / "robustness/eof_title_only.txt"), ValueError,
     "ends before all its values are read"),
    (lambda: slugwell.Well.from_file(DATA / "robustness/inputerror_malformed_exponent.txt"), ValueError,
     "data line 3 does not hold the numbers it should"),
    (lambda: slugwell.Well.from_file(DATA / "robustness/rejected_count_201.txt"), ValueError,
     "NTIME = 201 (number of output times, data line 5) is more than 200"),
    (lambda: slugwell.fit(confined(), [1.0, 2.0, 2.0], [0.3, 0.2, 0.1]), ValueError,
     "times[2] = 2.0 does not follow times[1] = 2.0: times must increase"),
    (lambda: slugwell.fit(confined(), [1.0, 2.0], [0.3]), ValueError, "times and heads differ in length (2 and 1)"),
    (lambda: slugwell.fit(confined(), [1.0, 2.0, 3.0], [0.3, 0.2, 0.1], params=("kr", "q")), ValueError,
     "unknown parameter 'q'"),
    (lambda: slugwell.fit(confined(), [1.0, 2.0, 3.0], [0.3, 0.2, 0.1], params=("hks",)), ValueError,
     "hks cannot be estimated: the input file has no skin"),
    (lambda: slugwell.fit(confined(), [1.0, 2.0, 3.0], [0.3, 0.2, 0.1], bounds={"kr": (1.0, 2.0)}), ValueError,
     "the start value 0.00025 of kr (from the input file) lies outside its bounds 1 ... 2"),
    (lambda: slugwell.analyze(confined(), [], []), ValueError, "no observations: times and heads are empty"),
    (lambda: slugwell.analyze(confined(), [1.0, 2.0, 3.0], [0.3, 0.2, 0.1], range=(0.3, 0.2)), ValueError,
     "range = (0.3, 0.2): expected 0 < lower < upper <= 1"),
])
def test_unusable_values_raise_with_the_message(call, error, message):
    with pytest.raises(error) as raised:
        call()
    assert message in str(raised.value)


def test_laplace_is_the_closed_form_of_cooper_et_al():
    ref = np.loadtxt(DATA / "python_laplace.txt")
    well, _ = slugwell.Well.from_file(SOURCE / "examples" / "confined.txt")
    f = well.laplace(ref[:, 0] + 1j * ref[:, 1])
    # The classic K0/K1 kernel and the groups rounded to doubles: the worst
    # point measured is 5e-13 relative (|p| = 100); 1e-11 leaves room.
    assert np.allclose(f, ref[:, 2] + 1j * ref[:, 3], rtol=1e-11, atol=0.0)


def test_long_time_lists_give_the_values_time_by_time():
    # The loop holds 200 times; longer lists go in runs of 200.
    well = confined()
    times = np.geomspace(1e-3, 10.0, 450).reshape(2, 225)
    single = np.array([well.head([t], accurate=False)[0] for t in times.ravel()]).reshape(times.shape)
    assert np.array_equal(well.head(times, accurate=False), single)


@pytest.mark.filterwarnings("ignore::RuntimeWarning")
def test_threads_with_different_wells_give_the_serial_values():
    wells = [slugwell.Well.from_file(SOURCE / "examples" / name) for name in ("input.txt", "unsat_bounded.txt")]
    modes = (False, True, False, True)  # classic loop and accurate response in turn
    serial = [[w.head(t, accurate=a, threads=1) for a in modes] for w, t in wells]
    results = [[] for _ in wells]

    def evaluate(k):
        well, times = wells[k]
        results[k] = [well.head(times, accurate=a) for a in modes]

    threads = [threading.Thread(target=evaluate, args=(k,)) for k in range(len(wells))]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    for k, values in enumerate(results):
        assert len(values) == len(modes) and all(np.array_equal(v, s) for v, s in zip(values, serial[k]))
