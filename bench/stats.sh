# Sourced by the bench scripts: stats reads numbers (any white space between them) and prints "min / median / max".
stats() {
  tr -s ' \n' '\n\n' | sed '/^$/d' | sort -g |
    awk '{a[NR]=$1} END {printf "%.1f / %.1f / %.1f", a[1], (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2), a[NR]}'
}
