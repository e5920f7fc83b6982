# Time against document size for each tool, log-log, from report.js's
# plot.dat. Call with: gnuplot -e "data='plot.dat'; output='performance.png'"
set terminal pngcairo size 900,600 font "DejaVu Sans,11"
set output output
set datafile missing "?"
set logscale xy
set format x "10^{%L}"
set format y "10^{%L}"
set xlabel "Lines in the document (peer subset)"
set ylabel "Time (ms), median"
set title "Tarvine, mathjs (Fraction mode) and qalc on the same documents"
set key below
set grid
plot data using 1:2 with linespoints lw 2 pt 7 lc rgb "#1b7837" title "tarvine-cli, whole run", \
     data using 1:3 with linespoints lw 2 pt 6 dt 2 lc rgb "#1b7837" title "tarvine-cli, start-up subtracted", \
     data using 1:4 with linespoints lw 2 pt 5 lc rgb "#2166ac" title "mathjs, whole run (node and loading)", \
     data using 1:5 with linespoints lw 2 pt 4 dt 2 lc rgb "#2166ac" title "mathjs, evaluation only", \
     data using 1:6 with linespoints lw 2 pt 9 lc rgb "#b2182b" title "qalc -t -f, whole run", \
     data using 1:7 with linespoints lw 2 pt 8 dt 2 lc rgb "#b2182b" title "qalc, start-up subtracted"
