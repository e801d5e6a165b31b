#!/usr/bin/python3
"""Fits the Dawsonville slug test (Cooper, Bredehoeft and Papadopulos 1967)
and plots the observations with the fitted curve.

    PYTHONPATH=build/python python3 python/examples/fit_dawsonville.py [FOLDER]

FOLDER holds input.txt (geometry and start values; lengths in m, times in
days) and observed.txt (time, head displacement); it defaults to
../shared/field/dawsonville beside the repository. The published estimates
are K = 0.4133 m/d and Ss = 1.94e-5 1/m (MLU, RMSE 0.0043 m). The picture
goes to dawsonville_fit.png in the current folder when matplotlib is
installed; otherwise the script says so and prints the fit alone.
"""
import pathlib
import sys

import numpy as np
import slugwell

here = pathlib.Path(__file__).resolve().parent
folder = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else here.parents[2] / "shared" / "field" / "dawsonville"

well, _ = slugwell.Well.from_file(folder / "input.txt")
obs = np.loadtxt(folder / "observed.txt", delimiter=",", comments="#", skiprows=3)
result = slugwell.fit(well, obs[:, 0], obs[:, 1], params=("kr", "ss"))
print(result.report(input_path=str(folder / "input.txt"), data_path=str(folder / "observed.txt")))
if not result.converged:
    sys.exit(1)

try:
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
except ImportError:
    print("matplotlib is not installed: no picture (Debian: apt-get install python3-matplotlib)")
    sys.exit(0)

t = np.geomspace(obs[0, 0], obs[-1, 0], 200)
fig, ax = plt.subplots(figsize=(6, 4))
ax.semilogx(obs[:, 0], obs[:, 1] / well.ho, "o", label="observed")
ax.semilogx(t, result.well.head(t, accurate=False), "-",
            label="fit: K = %.4g m/d, Ss = %.3g 1/m" % (result.estimates["kr"], result.estimates["ss"]))
ax.set_xlabel("time since the slug (d)")
ax.set_ylabel("H/Ho")
ax.set_title("Dawsonville, Georgia (Cooper et al. 1967)")
ax.legend()
fig.tight_layout()
fig.savefig("dawsonville_fit.png", dpi=120)
print("wrote dawsonville_fit.png")
