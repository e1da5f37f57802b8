-- monthly totals
with months as (select trunc(order_date, 'MM') m, sum(amount) total
                  from orders /* all of them */
                 group by trunc(order_date, 'MM')),
     best as (select max(total) top from months)
select m.m, m.total, m.total / b.top ratio
  from months m, best b
 where m.total > 0 -- skip empty months
union all
select null, null, null from dual;
insert into totals (m, total) select m, total from months;
update totals set total = total * 2, note = 'x' || note where m is not null;
